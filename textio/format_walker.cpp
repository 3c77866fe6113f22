// The format walker: the non-data descriptors carried out, the data ones
// handed to the items in turn, reversion at the end.
#include "textio/format_walker.h"

#include "textio/io_error.h"

namespace textio {

namespace {

constexpr int32_t kMaxGroupDepth = 20;

[[noreturn]] void fail(int32_t code) {
  throw IoFailure{code};
}

DataEdit data_edit(const FormatEntry& entry) {
  DataEdit edit{};
  edit.w = entry[2];
  edit.d = entry[1];
  switch (code_of(entry)) {
    case kDescA:
      edit.edit_code = kEditA;
      break;
    case kDescE: {
      edit.edit_code = kEditE;
      const int32_t digits = (entry[0] >> 10) & 0x3F;
      edit.e = digits == 0 ? 2 : digits;
      break;
    }
    case kDescF:
      edit.edit_code = kEditF;
      break;
    default:
      edit.edit_code = kEditI;
      break;
  }
  return edit;
}

bool is_data(int32_t code) {
  return code == kDescA || code == kDescE || code == kDescF || code == kDescI;
}

}  // namespace

void FormatWalker::prepare(const FormatTable& table) {
  // The walk trusts the table: check its shape once, here.
  const auto& entries = table.entries;
  int32_t depth = 0;
  size_t i = 1;
  while (i < entries.size() && code_of(entries[i]) != kDescEnd) {
    const int32_t code = code_of(entries[i]);
    if (code == kDescGroupOpen && ++depth > kMaxGroupDepth) fail(kFormatGroupOverflow);
    if (code == kDescGroupClose && --depth < 0) fail(kErrorInFormatString);
    i += span_of(entries[i]);
  }
  if (i >= entries.size() || depth != 0) fail(kErrorInFormatString);
  const int64_t target = static_cast<int64_t>(i) + entries[i][4];
  if (target < 1 || target > static_cast<int64_t>(i)) fail(kErrorInFormatString);

  table_ = &table;
  current_ = 1;
  repeats_left_ = 0;
  current_edit_ = {};
  groups_.clear();
  groups_.reserve(kMaxGroupDepth);
}

DataEdit FormatWalker::next_data(FormatContext& context) {
  if (repeats_left_ > 0) {
    --repeats_left_;
    return current_edit_;
  }
  const auto& entries = table_->entries;
  bool reverted = false;
  for (;;) {
    const FormatEntry& entry = entries[current_];
    const int32_t code = code_of(entry);
    if (is_data(code)) {
      current_edit_ = data_edit(entry);
      repeats_left_ = entry[4] - 1;
      ++current_;
      return current_edit_;
    }
    if (code == kDescEnd) {
      // A second reversion in one fetch: the repeated part holds no data
      // descriptor and the item would never be served.
      if (reverted) fail(kErrorInFormatString);
      reverted = true;
      context.end_record();
      groups_.clear();
      current_ = static_cast<size_t>(static_cast<int64_t>(current_) + entry[4]);
      continue;
    }
    step(context);
  }
}

void FormatWalker::finish(FormatContext& context) {
  if (repeats_left_ > 0) return;
  const auto& entries = table_->entries;
  for (;;) {
    const int32_t code = code_of(entries[current_]);
    if (is_data(code) || code == kDescEnd) return;
    step(context);
  }
}

void FormatWalker::step(FormatContext& context) {
  const FormatEntry& entry = table_->entries[current_];
  switch (code_of(entry)) {
    case kDescX:
      for (int32_t r = 0; r < entry[4]; ++r) context.move_right(entry[2]);
      break;
    case kDescLiteral: {
      const std::string_view text = literal_text(*table_, current_);
      for (int32_t r = 0; r < entry[4]; ++r) context.emit_literal(text);
      break;
    }
    case kDescSlash: {
      const int32_t count = entry[2] > 1 ? entry[2] : 1;
      for (int32_t r = 0; r < entry[4]; ++r) {
        for (int32_t n = 0; n < count; ++n) context.end_record();
      }
      break;
    }
    case kDescGroupOpen:
      if (groups_.size() >= static_cast<size_t>(kMaxGroupDepth)) fail(kFormatGroupOverflow);
      groups_.push_back({entry[4], current_ + 1});
      break;
    case kDescGroupClose: {
      if (groups_.empty()) fail(kErrorInFormatString);
      Group& group = groups_.back();
      if (--group.remaining > 0) {
        current_ = group.first_entry;
        return;
      }
      groups_.pop_back();
      break;
    }
    default:
      break;
  }
  current_ += span_of(entry);
}

}  // namespace textio
