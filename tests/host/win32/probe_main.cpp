// The probe program on the console streams, the reference its window run is
// compared with.
#include "analysis/driver.h"

int main() {
  tova::run_analysis();
}
