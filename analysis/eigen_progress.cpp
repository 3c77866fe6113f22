// The eigenanalysis progress lines on the console: a heading with the
// stopping threshold, then one line per threshold level. The standard output
// unit applies no carriage control, so the leading '+' is printed as it is.
#include "analysis/eigen.h"
#include "textio/statement.h"

namespace tova {
namespace {

class ConsoleEigenProgress : public EigenProgress {
 public:
  void started(float final_threshold) override {
    static const textio::FormatTable heading =
        textio::compile_format("(/' EIGENANALYSIS UNDERWAY'//' THRESHOLD =',F25.15/)");
    textio::WriteStatement(textio::kConsole, &heading).real(final_threshold);
  }
  void level(float threshold) override {
    static const textio::FormatTable line = textio::compile_format("(1H+,'CURRENT V.=',F25.15)");
    textio::WriteStatement(textio::kConsole, &line).real(threshold);
  }
};

}  // namespace

EigenProgress& console_eigen_progress() {
  static ConsoleEigenProgress progress;
  return progress;
}

}  // namespace tova
