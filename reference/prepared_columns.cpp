#include "reference/prepared_columns.h"

#include <algorithm>

#include "analysis/data_set.h"
#include "analysis/ranks.h"

namespace tova::reference {
namespace {

DataSet view_of(PreparedColumns& c) {
  return data_set_over(static_cast<int32_t>(c.objects), static_cast<int32_t>(c.variables),
                       {c.data.data(), c.type.data(), c.range.data(), c.minimum.data(),
                        c.period.data(), c.tie_count.data()});
}

}  // namespace

// The counts as they stand, negative ones too: the kernels take those.
kernels::PreparedData PreparedColumns::view() const {
  kernels::PreparedData d;
  d.objects = objects;
  d.variables = variables;
  d.data = data.data();
  d.type = type.data();
  d.range = range.data();
  d.tie_count = tie_count.data();
  d.period = period.data();
  d.pair_count = pair_count_of(objects);
  return d;
}

PreparedColumns prepare_columns(int64_t objects, const std::vector<int32_t>& types,
                                const std::vector<std::vector<float>>& columns,
                                const std::vector<float>& periods) {
  PreparedColumns c;
  c.objects = objects;
  c.variables = static_cast<int64_t>(types.size());
  c.type = types;
  c.range.assign(types.size(), 0.0f);
  c.minimum.assign(types.size(), 0.0f);
  c.period = periods;
  c.period.resize(types.size(), 0.0f);
  c.data.resize(static_cast<size_t>(objects * c.variables));
  c.tie_count.assign(c.data.size(), 0);
  for (size_t j = 0; j < columns.size() && j < types.size(); ++j) {
    std::copy_n(columns[j].begin(),
                std::min<size_t>(columns[j].size(), static_cast<size_t>(objects)),
                c.data.begin() + static_cast<std::ptrdiff_t>(j) * objects);
  }
  DataSet d = view_of(c);
  rank_variables(d);
  return c;
}

}  // namespace tova::reference
