// The JPEG library's encoder on libjpeg-turbo's libjpeg API, in stripes on
// the run's WorkPool.
//
// Each stripe is encoded by a compressor of its own as a JPEG of the
// stripe's rows, with the same tables and the same restart interval. A
// stripe's file is its header (up to the end of SOS), its entropy-coded
// data, and EOI; the data ends flushed to a byte boundary exactly as it
// would before a restart marker, and a new compressor starts its DC
// predictions at 0 exactly as the decoder does after one. So the joined
// file is the first stripe's file without its EOI, then for every further
// stripe a restart marker and that stripe's data, then EOI; the frame
// header's height is set to the whole picture's.
//
// Restart markers count RST0..RST7 round, and each stripe numbers its own
// from RST0, so each stripe is either one restart interval (no markers of
// its own) or a multiple of 8 intervals: either way its markers continue
// the sequence. An interval holds at most 65535 MCUs.
#include "imaging/jpeg_encoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "imaging/work_pool.h"

namespace varnel::jpeg {

namespace {

// Bytes kept for the run. Grown with realloc so that a failure to grow is
// a result, not an exception: it is met inside the library's C frames.
class Buffer {
 public:
  Buffer() = default;
  ~Buffer() { std::free(data_); }  // NOLINT(cppcoreguidelines-no-malloc): see above
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  bool Reserve(std::size_t n) {
    if (n <= capacity_) return true;
    void* p = std::realloc(data_, n);  // NOLINT(cppcoreguidelines-no-malloc): see above
    if (p == nullptr) return false;
    data_ = static_cast<std::uint8_t*>(p);
    capacity_ = n;
    return true;
  }
  std::uint8_t* data() const { return data_; }
  std::size_t capacity() const { return capacity_; }

  std::size_t size = 0;  // bytes in use

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t capacity_ = 0;
};

struct ErrorManager {
  jpeg_error_mgr pub;  // first: the library sees only this part
  std::jmp_buf jump;
  bool outOfMemory;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  err->outOfMemory = cinfo->err->msg_code == JERR_OUT_OF_MEMORY;
  std::longjmp(err->jump, 1);
}

void Silent(j_common_ptr) {}

// The library's output goes straight into the stripe's buffer, which
// doubles when full.
struct Destination {
  jpeg_destination_mgr pub;  // first: the library sees only this part
  Buffer* buffer;
  std::size_t initial;  // capacity to start a stripe with
};

void InitDestination(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<Destination*>(cinfo->dest);
  if (!d->buffer->Reserve(d->initial)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  d->buffer->size = 0;
  d->pub.next_output_byte = d->buffer->data();
  d->pub.free_in_buffer = d->buffer->capacity();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  // Called when the whole buffer is full.
  auto* d = reinterpret_cast<Destination*>(cinfo->dest);
  const std::size_t used = d->buffer->capacity();
  if (!d->buffer->Reserve(2 * used)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  d->pub.next_output_byte = d->buffer->data() + used;
  d->pub.free_in_buffer = d->buffer->capacity() - used;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<Destination*>(cinfo->dest);
  d->buffer->size = d->buffer->capacity() - d->pub.free_in_buffer;
}

const std::uint8_t* RowOf(const JpegInput& in, std::int32_t y) {
  const std::int32_t memoryRow = in.bottomUp ? in.height - 1 - y : y;
  return in.bits + static_cast<std::ptrdiff_t>(memoryRow) * in.pitch;
}

// One stripe's compressor and output, kept for the run.
class Slot {
 public:
  Slot() {
    cinfo_.err = jpeg_std_error(&err_.pub);
    err_.pub.error_exit = ErrorExit;
    err_.pub.output_message = Silent;
    if (setjmp(err_.jump)) return;  // out of memory: not created
    jpeg_create_compress(&cinfo_);
    dest_.pub.init_destination = InitDestination;
    dest_.pub.empty_output_buffer = EmptyOutputBuffer;
    dest_.pub.term_destination = TermDestination;
    dest_.buffer = &out_;
    cinfo_.dest = &dest_.pub;
    created_ = true;
  }
  ~Slot() {
    if (created_) jpeg_destroy_compress(&cinfo_);
  }
  Slot(const Slot&) = delete;
  Slot& operator=(const Slot&) = delete;

  bool created() const { return created_; }
  Buffer& out() { return out_; }

  // Encodes rows [first, first + rows) of the picture as a JPEG of their
  // own with the given restart interval in MCUs (0: none).
  EncodeResult Encode(const JpegInput& in, std::int32_t first, std::int32_t rows, unsigned restartInterval) {
    err_.outOfMemory = false;
    if (setjmp(err_.jump)) {
      jpeg_abort_compress(&cinfo_);
      return err_.outOfMemory ? EncodeResult::OutOfMemory : EncodeResult::Failed;
    }
    cinfo_.image_width = static_cast<JDIMENSION>(in.width);
    cinfo_.image_height = static_cast<JDIMENSION>(rows);
    cinfo_.input_components = 3;
    cinfo_.in_color_space = in.rgb ? JCS_RGB : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo_);
    jpeg_set_colorspace(&cinfo_, JCS_YCbCr);
    jpeg_set_quality(&cinfo_, in.quality, TRUE);
    cinfo_.dct_method = JDCT_ISLOW;
    cinfo_.comp_info[0].h_samp_factor = in.lumaH;
    cinfo_.comp_info[0].v_samp_factor = in.lumaV;
    for (int c = 1; c < 3; ++c) cinfo_.comp_info[c].h_samp_factor = cinfo_.comp_info[c].v_samp_factor = 1;
    cinfo_.restart_interval = restartInterval;
    // Half a byte a pixel holds most screens and photos at quality 90.
    dest_.initial = static_cast<std::size_t>(in.width) * static_cast<std::size_t>(rows) / 2 + 4096;

    jpeg_start_compress(&cinfo_, TRUE);
    constexpr JDIMENSION kBatch = 64;
    JSAMPROW batch[kBatch];
    while (cinfo_.next_scanline < cinfo_.image_height) {
      const JDIMENSION done = cinfo_.next_scanline;
      const JDIMENSION n = std::min(kBatch, cinfo_.image_height - done);
      for (JDIMENSION i = 0; i < n; ++i)
        batch[i] = const_cast<JSAMPROW>(RowOf(in, first + static_cast<std::int32_t>(done + i)));
      jpeg_write_scanlines(&cinfo_, batch, n);
    }
    jpeg_finish_compress(&cinfo_);
    return EncodeResult::Ok;
  }

 private:
  jpeg_compress_struct cinfo_{};
  ErrorManager err_{};
  Destination dest_{};
  Buffer out_;
  bool created_ = false;
};

std::optional<StripeSettings>& ChosenSettings() {
  static std::optional<StripeSettings> chosen;
  return chosen;
}

std::vector<std::unique_ptr<Slot>>& Slots() {
  static std::vector<std::unique_ptr<Slot>> slots;
  return slots;
}

// Slots 0 .. n-1, made on first need.
bool EnsureSlots(int n) {
  auto& slots = Slots();
  while (static_cast<int>(slots.size()) < n) {
    auto slot = std::unique_ptr<Slot>(new (std::nothrow) Slot);
    if (!slot || !slot->created()) return false;
    slots.push_back(std::move(slot));
  }
  return true;
}

struct Plan {
  int stripes;
  std::int32_t stripeRows;   // pixel rows of each stripe but the last
  unsigned restartInterval;  // MCUs; 0 for one stripe
  std::int64_t intervalsPerStripe;
};

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

Plan PlanStripes(const JpegInput& in, StripeSettings settings) {
  const Plan whole{1, in.height, 0, 1};
  const std::int64_t mcuHeight = 8 * in.lumaV;
  const std::int64_t mcusPerRow = CeilDiv(in.width, 8 * in.lumaH);
  const std::int64_t mcuRows = CeilDiv(in.height, mcuHeight);
  if (settings.stripes < 2 || std::int64_t{in.width} * in.height < settings.minPixels || mcuRows < 2) return whole;
  const std::int64_t each = CeilDiv(mcuRows, std::min<std::int64_t>(settings.stripes, mcuRows));
  const std::int64_t fit = 65535 / mcusPerRow;  // MCU rows an interval holds (at least 7)
  std::int64_t intervals = 1, intervalRows = each;
  if (each > fit) {
    for (intervals = 8; CeilDiv(each, intervals) > fit; intervals += 8) {
    }
    intervalRows = CeilDiv(each, intervals);
  }
  const std::int64_t stripeMcuRows = intervals * intervalRows;
  Plan plan{static_cast<int>(CeilDiv(mcuRows, stripeMcuRows)), static_cast<std::int32_t>(stripeMcuRows * mcuHeight),
            static_cast<unsigned>(intervalRows * mcusPerRow), intervals};
  return plan.stripes < 2 ? whole : plan;
}

// The marker segments of a stripe's file, from SOI on: where its
// entropy-coded data starts (after SOS), and where the frame header's
// height field lies. False when the file is not laid out so.
bool Layout(const Buffer& file, std::size_t* dataStart, std::size_t* heightAt) {
  const std::uint8_t* p = file.data();
  const std::size_t n = file.size;
  if (n < 4 || p[0] != 0xFF || p[1] != 0xD8 || p[n - 2] != 0xFF || p[n - 1] != 0xD9) return false;
  *heightAt = 0;
  for (std::size_t at = 2; at + 4 <= n;) {
    if (p[at] != 0xFF) return false;
    const std::uint8_t marker = p[at + 1];
    const std::size_t length = static_cast<std::size_t>(p[at + 2]) << 8 | p[at + 3];
    if (marker == 0xC0 && length >= 7) *heightAt = at + 5;
    at += 2 + length;
    if (marker == 0xDA) {
      *dataStart = at;
      return *heightAt != 0 && at <= n - 2;
    }
  }
  return false;
}

EncodeResult Join(const JpegInput& in, const Plan& plan) {
  auto& slots = Slots();
  Buffer& file = slots[0]->out();
  std::size_t start = 0, heightAt = 0;
  if (!Layout(file, &start, &heightAt)) return EncodeResult::Failed;
  file.data()[heightAt] = static_cast<std::uint8_t>(in.height >> 8);
  file.data()[heightAt + 1] = static_cast<std::uint8_t>(in.height);

  std::size_t total = file.size;
  std::vector<std::size_t> starts(static_cast<std::size_t>(plan.stripes), 0);
  for (int k = 1; k < plan.stripes; ++k) {
    const Buffer& stripe = slots[static_cast<std::size_t>(k)]->out();
    if (!Layout(stripe, &starts[static_cast<std::size_t>(k)], &heightAt)) return EncodeResult::Failed;
    total += 2 + stripe.size - starts[static_cast<std::size_t>(k)] - 2;
  }
  if (!file.Reserve(total)) return EncodeResult::OutOfMemory;
  std::uint8_t* end = file.data() + file.size - 2;  // over the first stripe's EOI
  for (int k = 1; k < plan.stripes; ++k) {
    const Buffer& stripe = slots[static_cast<std::size_t>(k)]->out();
    const std::size_t from = starts[static_cast<std::size_t>(k)];
    // Stripe k begins with interval k x intervalsPerStripe; the marker
    // before interval i is RST((i - 1) mod 8).
    *end++ = 0xFF;
    *end++ = static_cast<std::uint8_t>(0xD0 + (k * plan.intervalsPerStripe - 1) % 8);
    std::memcpy(end, stripe.data() + from, stripe.size - from - 2);
    end += stripe.size - from - 2;
  }
  *end++ = 0xFF;
  *end++ = 0xD9;
  file.size = static_cast<std::size_t>(end - file.data());
  return EncodeResult::Ok;
}

}  // namespace

void ReleaseMemory() { Slots().clear(); }

std::size_t KeptBytes() {
  std::size_t bytes = 0;
  for (const auto& slot : Slots()) bytes += slot->out().capacity();
  return bytes;
}

StripeSettings DefaultStripeSettings() { return {WorkPool::Shared().Threads(), kStripeMinPixels}; }

void SetStripeSettings(StripeSettings settings) { ChosenSettings() = settings; }

EncodeResult EncodeJpeg(const JpegInput& input, const std::uint8_t** jpeg, std::size_t* size) {
  if (input.width > JPEG_MAX_DIMENSION || input.height > JPEG_MAX_DIMENSION) return EncodeResult::Failed;
  const StripeSettings settings = ChosenSettings().value_or(DefaultStripeSettings());
  const Plan plan = PlanStripes(input, settings);
  if (!EnsureSlots(plan.stripes)) return EncodeResult::OutOfMemory;
  auto& slots = Slots();

  EncodeResult result = EncodeResult::Ok;
  if (plan.stripes == 1) {
    result = slots[0]->Encode(input, 0, input.height, 0);
  } else {
    std::vector<EncodeResult> results(static_cast<std::size_t>(plan.stripes), EncodeResult::Ok);
    auto stripe = [&](int k) {
      const std::int32_t first = k * plan.stripeRows;
      const std::int32_t rows = std::min(plan.stripeRows, input.height - first);
      results[static_cast<std::size_t>(k)] =
          slots[static_cast<std::size_t>(k)]->Encode(input, first, rows, plan.restartInterval);
    };
    WorkPool::Shared().Run(plan.stripes, stripe);
    for (EncodeResult r : results)
      if (r != EncodeResult::Ok) result = r;
    if (result == EncodeResult::Ok) result = Join(input, plan);
  }
  if (result != EncodeResult::Ok) return result;
  *jpeg = slots[0]->out().data();
  *size = slots[0]->out().size;
  return EncodeResult::Ok;
}

}  // namespace varnel::jpeg
