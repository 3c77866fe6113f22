// One analysis run, start to STOP: the dialogue, the run's arrays, the steps
// of the library API in place over views of them (tova.h), the listings and
// the result files. run_analysis owns every scalar and array of the run.
#include "analysis/driver.h"

#include <array>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "analysis/arrays.h"
#include "analysis/data_file.h"
#include "analysis/data_set.h"
#include "analysis/eigen.h"
#include "analysis/gower.h"
#include "analysis/listings.h"
#include "analysis/report.h"
#include "analysis/result_files.h"
#include "analysis/rules.h"
#include "analysis/tova.h"
#include "textio/allocate.h"
#include "textio/io_api.h"
#include "textio/statement.h"

namespace tova {
namespace {

using textio::ArrayDescriptor;
using textio::kConsole;
using textio::ReadStatement;
using textio::WriteStatement;

constexpr size_t kNameLength = 100;

template <size_t N>
void allocate_group(const std::array<ArrayDescriptor*, N>& group) {
  textio::allocate(group);
}
template <size_t N>
void deallocate_group(const std::array<ArrayDescriptor*, N>& group) {
  textio::deallocate(group);
}

// Counts the data file gives that no run can use, and a data file that the
// results would overwrite, end the run before anything is allocated or
// written.
void check_header(int32_t object_count, int32_t variable_count, int32_t gower_option) {
  if (object_count < 0) {
    textio::fatal_data_error("Object count " + std::to_string(object_count) + " is negative");
  }
  if (variable_count < 0) {
    textio::fatal_data_error("Variable count " + std::to_string(variable_count) + " is negative");
  }
  for (const std::string_view result : {kLoadsFileName, kMatrixFileName}) {
    if (result == kMatrixFileName && gower_option != 1) continue;
    if (textio::unit_is_file(kDataUnit, result)) {
      textio::fatal_data_error("The data file is " + std::string(result) +
                               ", which the results would overwrite");
    }
  }
}

// Both entries: the dialogue (answers == nullptr) and answers given ahead.
[[noreturn]] void run(const RunAnswers* answers);

}  // namespace

std::string_view unquoted_file_name(std::string_view typed) {
  const size_t first = typed.find_first_not_of(' ');
  if (first == std::string_view::npos) return typed;
  typed = typed.substr(first, typed.find_last_not_of(' ') - first + 1);
  if (typed.size() >= 2 && (typed.front() == '"' || typed.front() == '\'') &&
      typed.back() == typed.front()) {
    typed = typed.substr(1, typed.size() - 2);
  }
  return typed;
}

// Memory that cannot be had anywhere in the run (kernel work space,
// threads, buffers) ends it as a failed ALLOCATE does.
void run_analysis() {
  try {
    run(nullptr);
  } catch (const std::bad_alloc&) {
    textio::allocation_failed();
  }
}
void run_analysis(const RunAnswers& answers) {
  try {
    run(&answers);
  } catch (const std::bad_alloc&) {
    textio::allocation_failed();
  }
}

namespace {

void run(const RunAnswers* answers) {
  static const textio::FormatTable kWholeLine = textio::compile_format("(A)");
  char data_file_name[kNameLength];
  char data_title[kTitleLength];
  std::memset(data_file_name, ' ', kNameLength);
  std::memset(data_title, ' ', kTitleLength);
  const std::string_view title(data_title, kTitleLength);
  int32_t gower_option = 0;
  int32_t object_count = 0;
  int32_t variable_count = 0;

  std::string_view file_name;
  if (answers == nullptr) {
    WriteStatement(kConsole).character(" ENTER FILENAME FOR INPUT DATA");
    ReadStatement(kConsole, &kWholeLine).character(data_file_name, kNameLength);
    file_name = unquoted_file_name(std::string_view(data_file_name, kNameLength));
  } else {
    file_name = answers->data_file;
  }
  // The data file must exist; it is read, never created.
  textio::OpenSpecifiers existing;
  existing.status = "OLD";
  textio::open_unit(kDataUnit, file_name, existing);
  ReadStatement(textio::unit(kDataUnit), &kWholeLine).character(data_title, kTitleLength);
  if (answers == nullptr) {
    WriteStatement(kConsole).character(" ENTER 1 FOR COMPUTING GOWER DISSIMILARITIES ");
    ReadStatement(kConsole).integer(gower_option);
  } else {
    gower_option = answers->gower_option;
  }
  ReadStatement(textio::unit(kDataUnit)).integer(object_count).integer(variable_count);
  check_header(object_count, variable_count, gower_option);

  // In 64 bits, so that object counts whose (n - 1)n passes 2^31 reach the
  // allocation (and its failure report) with their true sizes.
  const int64_t n = object_count;
  const int64_t m = variable_count;
  const int64_t triangle_size = packed_size(n);

  WriteStatement{kConsole};  // no items: a record holding one blank
  WriteStatement(kConsole).character("  ").character(title);
  WriteStatement{kConsole};

  ArrayDescriptor first_differences = real_array(triangle_size);
  ArrayDescriptor second_differences = real_array(triangle_size);
  ArrayDescriptor tie_count = integer_array(n, m);
  ArrayDescriptor period = real_array(m);
  ArrayDescriptor squared_distance = real_array(m, m);
  ArrayDescriptor data_matrix = real_array(n, m);
  ArrayDescriptor variable_type = integer_array(m);
  ArrayDescriptor variable_range = real_array(m);
  ArrayDescriptor variable_min = real_array(m);
  ArrayDescriptor d_correlation = real_array(m, m);
  const std::array<ArrayDescriptor*, 2> group1{&first_differences, &second_differences};
  allocate_group(group1);
  allocate_group(std::array<ArrayDescriptor*, 3>{&tie_count, &period, &squared_distance});
  allocate_group(std::array<ArrayDescriptor*, 5>{&data_matrix, &variable_type, &variable_range,
                                                 &variable_min, &d_correlation});

  DataSet data;
  data.object_count = object_count;
  data.variable_count = variable_count;
  data.data_matrix = Matrix<float>(data_matrix);
  data.variable_type = Vector<int32_t>(variable_type);
  data.variable_range = Vector<float>(variable_range);
  data.variable_min = Vector<float>(variable_min);
  data.period = Vector<float>(period);
  data.tie_count = Matrix<int32_t>(tie_count);
  const Matrix<float> correlations(d_correlation);
  const Matrix<float> distances(squared_distance);

  read_data_file(data);
  if (const auto refused = api::in_place::prepare(data)) textio::fatal_data_error(*refused);
  // The work arrays of group 1 are the literal loops' storage; the kernel
  // keeps its per-thread blocks of its own.
  api::in_place::associate(data, correlations, distances);
  list_matrices(variable_count, correlations, distances);
  deallocate_group(group1);

  ArrayDescriptor packed = real_array(packed_size(m));
  ArrayDescriptor vectors = real_array(m * m);
  ArrayDescriptor eigenvalues = real_array(m);
  ArrayDescriptor percentages = real_array(m);
  const std::array<ArrayDescriptor*, 4> group4{&packed, &vectors, &eigenvalues, &percentages};
  allocate_group(group4);
  Ordination ordination;
  ordination.packed = Vector<float>(packed);
  ordination.vectors = Vector<float>(vectors);
  ordination.eigenvalues = Vector<float>(eigenvalues);
  ordination.percentages = Vector<float>(percentages);
  api::in_place::ordinate(correlations, ordination, console_eigen_progress());
  ordination_report(variable_count, ordination);
  write_loads(title, variable_count, ordination);

  if (gower_option == 1) {
    deallocate_group(group4);
    ArrayDescriptor semimatrix = real_array(triangle_size);
    ArrayDescriptor missing_count = integer_array(triangle_size);
    ArrayDescriptor mean_flag = integer_array(triangle_size);
    allocate_group(std::array<ArrayDescriptor*, 3>{&semimatrix, &missing_count, &mean_flag});
    GowerArrays gower{Vector<float>(semimatrix), Vector<int32_t>(missing_count),
                      Vector<int32_t>(mean_flag)};
    api::in_place::gower(data, gower.semimatrix);
    write_matrix_dis(title, object_count, triangle_size, gower.semimatrix);
  }
  textio::stop(" ");
}

}  // namespace
}  // namespace tova
