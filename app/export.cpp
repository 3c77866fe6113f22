// Labelled exports of MATRIX.DIS and LOADS.TXT. The files are read as text:
// a value is a token checked to be a number and written back unchanged, so
// an export shows exactly the digits the run wrote.
#include "app/export.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/tova.h"

namespace tova {
namespace {

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::vector<std::string> lines_of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Failure("cannot open " + path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> tokens_of(std::string_view text) {
  std::vector<std::string> tokens;
  std::istringstream in{std::string(text)};
  for (std::string t; in >> t;) tokens.push_back(t);
  return tokens;
}

// A number as the run writes one: decimal, exponent, or NaN and INF.
bool is_number(const std::string& t) {
  std::string_view s = t;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.remove_prefix(1);
  if (s == "NaN" || s == "INF" || s == "Infinity") return true;
  if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '.')) return false;
  char* end = nullptr;
  std::strtod(t.c_str(), &end);
  return *end == '\0';
}

int64_t count_in(const std::string& line, const std::string& path, const char* what) {
  const auto t = tokens_of(line);
  char* end = nullptr;
  const long long n = t.empty() ? -1 : std::strtoll(t[0].c_str(), &end, 10);
  if (t.empty() || *end != '\0' || n < 0) throw Failure(path + ": no " + what + " on line 2");
  return n;
}

std::vector<std::string> numbers(const std::vector<std::string>& lines, size_t from,
                                 const std::string& path) {
  std::vector<std::string> values;
  for (size_t k = from; k < lines.size(); ++k) {
    for (auto& t : tokens_of(lines[k])) {
      if (!is_number(t)) {
        throw Failure(path + ": line " + std::to_string(k + 1) + ": not a number: " + t);
      }
      values.push_back(std::move(t));
    }
  }
  return values;
}

std::vector<std::string> labels_for(const std::string& file, int64_t count, const char* what) {
  std::vector<std::string> labels;
  if (file.empty()) {
    for (int64_t k = 1; k <= count; ++k) labels.push_back(std::to_string(k));
    return labels;
  }
  labels = lines_of(file);
  while (!labels.empty() && labels.back().empty()) labels.pop_back();
  if (static_cast<int64_t>(labels.size()) != count) {
    throw Failure(file + ": " + std::to_string(labels.size()) + " labels for " +
                  std::to_string(count) + " " + what);
  }
  return labels;
}

std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

// The semimatrix in the square, i and j 0-based.
const std::string& element(const std::vector<std::string>& v, int64_t i, int64_t j) {
  if (i > j) std::swap(i, j);
  return v[static_cast<size_t>(api::packed_position(i + 1, j + 1) - 1)];
}

void export_matrix(const std::vector<std::string>& lines, const std::string& path,
                   const std::string& format, const std::string& label_file, std::ostream& out) {
  const int64_t n = count_in(lines.size() > 1 ? lines[1] : "", path, "object count");
  const auto values = numbers(lines, 2, path);
  const int64_t expected = api::packed_size(n);
  if (static_cast<int64_t>(values.size()) != expected) {
    throw Failure(path + ": " + std::to_string(values.size()) + " values for " + std::to_string(n) +
                  " objects (expected " + std::to_string(expected) + ")");
  }
  const auto labels = labels_for(label_file, n, "objects");
  if (format == "phylip") {
    out << n << '\n';
    for (int64_t i = 0; i < n; ++i) {
      out << labels[i];
      for (int64_t j = 0; j < i; ++j) out << ' ' << element(values, i, j);
      out << '\n';
    }
  } else if (format == "csv" || format == "lsmat") {
    const bool csv = format == "csv";
    const char separator = csv ? ',' : '\t';
    for (const auto& l : labels) out << separator << (csv ? csv_field(l) : l);
    out << '\n';
    for (int64_t i = 0; i < n; ++i) {
      out << (csv ? csv_field(labels[i]) : labels[i]);
      for (int64_t j = 0; j < n; ++j) out << separator << element(values, i, j);
      out << '\n';
    }
  } else {
    throw Failure("MATRIX.DIS exports as phylip, csv or lsmat, not " + format);
  }
}

void export_loads(const std::vector<std::string>& lines, const std::string& path,
                  const std::string& format, const std::string& label_file, std::ostream& out) {
  if (format != "csv") throw Failure("LOADS.TXT exports as csv, not " + format);
  const auto sizes = tokens_of(lines.size() > 1 ? lines[1] : "");
  if (sizes.size() != 2) throw Failure(path + ": no sizes on line 2");
  const int64_t m = count_in(sizes[0], path, "variable count");
  const int64_t k = count_in(sizes[1], path, "component count");
  if (static_cast<int64_t>(lines.size()) < 2 + m) {
    throw Failure(path + ": " + std::to_string(lines.size() - 2) + " rows for " +
                  std::to_string(m) + " variables");
  }
  const auto labels = labels_for(label_file, m, "variables");
  out << "variable";
  for (int64_t j = 1; j <= k; ++j) out << ",PC" << j;
  out << '\n';
  for (int64_t i = 0; i < m; ++i) {
    const auto row = numbers({lines[static_cast<size_t>(2 + i)]}, 0, path);
    if (static_cast<int64_t>(row.size()) != k) {
      throw Failure(path + ": line " + std::to_string(3 + i) + ": " + std::to_string(row.size()) +
                    " values, not " + std::to_string(k));
    }
    out << csv_field(labels[i]);
    for (const auto& v : row) out << ',' << v;
    out << '\n';
  }
}

constexpr std::string_view kUsage =
    "usage: tova export MATRIX.DIS --format phylip|csv|lsmat [--labels FILE] [-o OUT]\n"
    "       tova export LOADS.TXT --format csv [--labels FILE] [-o OUT]\n";

}  // namespace

int run_export(int argc, char** argv) {
  std::string input, format, labels, output;
  try {
    for (int k = 1; k < argc; ++k) {
      const std::string_view a = argv[k];
      auto value = [&]() -> std::string {
        if (k + 1 >= argc) throw Failure(std::string(a) + " needs a value");
        return argv[++k];
      };
      if (a == "--format") {
        format = value();
      } else if (a == "--labels") {
        labels = value();
      } else if (a == "-o") {
        output = value();
      } else if (input.empty() && !a.empty() && a[0] != '-') {
        input = a;
      } else {
        throw Failure("unexpected argument " + std::string(a));
      }
    }
    if (input.empty() || format.empty()) throw Failure("name a result file and a --format");
    const auto lines = lines_of(input);
    std::string_view title = lines.empty() ? std::string_view() : std::string_view(lines[0]);
    title.remove_prefix(std::min(title.find_first_not_of(' '), title.size()));
    std::ostringstream text;
    if (title.starts_with("SEMIMATRIX FROM ")) {
      export_matrix(lines, input, format, labels, text);
    } else if (title.starts_with("PCA loadings from ")) {
      export_loads(lines, input, format, labels, text);
    } else {
      throw Failure(input + ": neither a MATRIX.DIS nor a LOADS.TXT (title record)");
    }
    if (output.empty()) {
      std::cout << text.str() << std::flush;
      if (!std::cout) throw Failure("cannot write to standard output");
    } else {
      std::ofstream out(output, std::ios::binary);
      out << text.str();
      out.close();
      if (!out) throw Failure("cannot write " + output);
    }
    return 0;
  } catch (const Failure& f) {
    std::cerr << "tova export: " << f.what() << '\n' << kUsage;
    return 1;
  }
}

}  // namespace tova
