#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "escape/EscapeScan.h"
#include "surface/Bitmap.h"

namespace galleri {

class SmoothColouring;

// A view's smooth values, row after row, as the engine handed them to the
// colouring (SmoothColouring::Value): enough to colour the same view again
// with another palette, or at an offset a whole number of gradient entries
// away, without computing a point.
struct SmoothValues {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> values;
};

// An engine that hands every call on to `inner` and, under the smooth
// colouring, keeps the values it returns at the pixels of the view whose
// grid is `full` (the scan's grid at width x height). The engines compute a
// point without knowing its pixel, so the pixel is found by the point's
// numbers; a point that is no pixel's (a sample between pixels) spoils the
// record.
class ValueRecorder : public EscapeEngine {
  public:
    ValueRecorder(EscapeEngine& inner, const ScanGrid& full, int width, int height);

    void ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                        uint32_t* out) override;
    const uint32_t* Columns(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                            std::vector<uint32_t>& buffer) override;
    void BeginScan() override { inner_.BeginScan(); }
    void EndScan() override { inner_.EndScan(); }

    // The values, once every pixel has exactly its own; else null.
    std::shared_ptr<const SmoothValues> Take();

  private:
    void Record(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                const uint32_t* out);

    EscapeEngine& inner_;
    std::unordered_map<uint64_t, int> columnOf_;
    std::unordered_map<uint64_t, int> rowOf_;
    SmoothValues record_;
    std::vector<bool> seen_;
    int64_t seenCount_ = 0;
    bool spoilt_ = false;
};

// Colours `values` into `picture` (sized to them) as the scan does, each
// escaped point's value moved `shift` gradient entries on.
void Recolour(const SmoothValues& values, const SmoothColouring& smooth, int shift,
              Bitmap& picture);

}  // namespace galleri
