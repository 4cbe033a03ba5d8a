#include "app/SmoothValues.h"

#include <bit>

#include "colour/Gradient.h"
#include "escape/SmoothColouring.h"

namespace galleri {

ValueRecorder::ValueRecorder(EscapeEngine& inner, const ScanGrid& full, int width, int height)
    : inner_(inner) {
    record_.width = width;
    record_.height = height;
    record_.values.assign(static_cast<size_t>(width) * height, SmoothColouring::kInterior);
    seen_.assign(record_.values.size(), false);
    // Two pixels on one point would leave one of them unrecorded: the
    // record is then incomplete, never wrong.
    for (int i = 0; i < width && i < full.columns; ++i) {
        columnOf_.emplace(std::bit_cast<uint64_t>(full.columnRe[i]), i);
    }
    for (int j = 0; j < height && j < full.rows; ++j) {
        rowOf_.emplace(std::bit_cast<uint64_t>(full.rowIm[j]), j);
    }
}

void ValueRecorder::ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first,
                                   int count, uint32_t* out) {
    inner_.ComputeColumns(params, grid, first, count, out);
    Record(params, grid, first, count, out);
}

const uint32_t* ValueRecorder::Columns(const EscapeParams& params, const ScanGrid& grid, int first,
                                       int count, std::vector<uint32_t>& buffer) {
    const uint32_t* out = inner_.Columns(params, grid, first, count, buffer);
    Record(params, grid, first, count, out);
    return out;
}

void ValueRecorder::Record(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                           const uint32_t* out) {
    if (params.smooth == nullptr || spoilt_) {
        spoilt_ = true;
        return;
    }
    std::vector<int> rows(static_cast<size_t>(grid.rows));
    for (int r = 0; r < grid.rows; ++r) {
        const auto found = rowOf_.find(std::bit_cast<uint64_t>(grid.rowIm[r]));
        if (found == rowOf_.end()) {
            spoilt_ = true;
            return;
        }
        rows[r] = found->second;
    }
    for (int c = 0; c < count; ++c) {
        const auto found = columnOf_.find(std::bit_cast<uint64_t>(grid.columnRe[first + c]));
        if (found == columnOf_.end()) {
            spoilt_ = true;
            return;
        }
        const uint32_t* column = out + static_cast<size_t>(c) * grid.rows;
        for (int r = 0; r < grid.rows; ++r) {
            const size_t at = static_cast<size_t>(rows[r]) * record_.width + found->second;
            record_.values[at] = column[r];
            if (!seen_[at]) {
                seen_[at] = true;
                ++seenCount_;
            }
        }
    }
}

std::shared_ptr<const SmoothValues> ValueRecorder::Take() {
    if (spoilt_ || seenCount_ != static_cast<int64_t>(record_.values.size())) {
        return nullptr;
    }
    return std::make_shared<const SmoothValues>(std::move(record_));
}

void Recolour(const SmoothValues& values, const SmoothColouring& smooth, int shift,
              Bitmap& picture) {
    if (picture.Width() != values.width || picture.Height() != values.height) {
        picture = Bitmap(values.width, values.height);
    }
    const auto moved = static_cast<uint32_t>(shift) & (Gradient::kEntries - 1);
    const uint32_t* value = values.values.data();
    for (int y = 0; y < values.height; ++y) {
        for (int x = 0; x < values.width; ++x, ++value) {
            const uint32_t v = *value == SmoothColouring::kInterior
                                   ? *value
                                   : (*value + moved) & (Gradient::kEntries - 1);
            picture.Set(x, y, smooth.Colour(v, x, y));
        }
    }
}

}  // namespace galleri
