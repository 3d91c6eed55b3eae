#include "installer/core/jpegimage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

// libjpeg's headers use FILE and size_t and include neither's header.
#include <jerror.h>
#include <jpeglib.h>

#include "plib/perror.h"

namespace {

constexpr std::size_t kPieceSize = 4096;
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

// Everything libjpeg's callbacks reach, found through the decoder's client_data. Only trivially
// destructible members: a failure jumps out of frames that use it (see Guarded).
struct DecodeState {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    jpeg_source_mgr source;
    std::jmp_buf failed;
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
    bool emptyFile;
    char message[JMSG_LENGTH_MAX];
    std::uint8_t* row;     // one decoded row, three bytes a pixel
    std::uint8_t* pixels;  // the bottom-up BGRX picture
};

DecodeState& StateOf(j_common_ptr info) {
    return *static_cast<DecodeState*>(info->client_data);
}
DecodeState& StateOf(j_decompress_ptr info) {
    return *static_cast<DecodeState*>(info->client_data);
}

// libjpeg's error exit must not return. It leaves through the jump armed in Guarded.
[[noreturn]] void OnError(j_common_ptr info) {
    DecodeState& state = StateOf(info);
    info->err->format_message(info, state.message);
    std::longjmp(state.failed, 1);
}

// Warnings (a file cut short, extraneous bytes) do not stop decoding; a GUI program has no
// console to print them to.
void IgnoreMessage(j_common_ptr) {}

void StartSource(j_decompress_ptr) {}
void EndSource(j_decompress_ptr) {}

boolean FillSource(j_decompress_ptr info) {
    DecodeState& state = StateOf(info);
    if (state.offset < state.size) {
        std::size_t piece = std::min(kPieceSize, state.size - state.offset);
        info->src->next_input_byte = state.data + state.offset;
        info->src->bytes_in_buffer = piece;
        state.offset += piece;
    } else if (state.offset == 0) {
        state.emptyFile = true;
        std::longjmp(state.failed, 1);
    } else {
        // The data ended before the picture did: the marker lets the decoder finish it.
        info->src->next_input_byte = kEndOfImage;
        info->src->bytes_in_buffer = sizeof kEndOfImage;
    }
    return TRUE;
}

void SkipSource(j_decompress_ptr info, long count) {
    DecodeState& state = StateOf(info);
    jpeg_source_mgr& source = *info->src;
    while (count > 0 && static_cast<std::size_t>(count) > source.bytes_in_buffer) {
        count -= static_cast<long>(source.bytes_in_buffer);
        if (state.offset >= state.size) {
            // Nothing is left to skip over: what remains is the supplied end marker.
            FillSource(info);
            return;
        }
        FillSource(info);
    }
    if (count > 0) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

void Create(DecodeState& state) {
    jpeg_create_decompress(&state.info);
    state.source.init_source = StartSource;
    state.source.fill_input_buffer = FillSource;
    state.source.skip_input_data = SkipSource;
    state.source.resync_to_restart = jpeg_resync_to_restart;
    state.source.term_source = EndSource;
    state.info.src = &state.source;
}

void ReadHeader(DecodeState& state) {
    jpeg_read_header(&state.info, TRUE);
    state.info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&state.info);
}

void ReadPixels(DecodeState& state) {
    jpeg_decompress_struct& info = state.info;
    jpeg_start_decompress(&info);
    const std::size_t width = info.output_width;
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {state.row};
        jpeg_read_scanlines(&info, rows, 1);
        // The section is bottom-up: the picture's first row is the buffer's last.
        std::uint8_t* out = state.pixels + (info.output_height - info.output_scanline) * width * 4;
        for (std::size_t x = 0; x < width; ++x, out += 4) {
            const std::uint8_t* rgb = state.row + x * 3;
            out[0] = rgb[2];
            out[1] = rgb[1];
            out[2] = rgb[0];
            out[3] = 0;
        }
    }
    jpeg_finish_decompress(&info);
}

// Runs one decoding step with libjpeg's error exit armed; false when the step failed. libjpeg
// is C and reports an error by calling OnError, which may not return; throwing from there would
// unwind through library frames built without unwind tables. So OnError jumps back here
// instead. Between this setjmp and any longjmp lie only this function, libjpeg's frames, the
// callbacks above and the step, all of them holding trivially destructible objects, so the
// jump skips no destructor; the exception is thrown by the caller, in plain C++ code.
bool Guarded(DecodeState& state, void (*step)(DecodeState&)) {
    if (setjmp(state.failed) != 0) {
        return false;
    }
    step(state);
    return true;
}

// Owns the decoder object for the length of one decode.
class Decoder {
  public:
    Decoder(const std::uint8_t* data, std::size_t size) : state_{} {
        state_.data = data;
        state_.size = size;
        state_.info.err = jpeg_std_error(&state_.errors);
        state_.errors.error_exit = OnError;
        state_.errors.output_message = IgnoreMessage;
        state_.info.client_data = &state_;
    }
    ~Decoder() { jpeg_destroy_decompress(&state_.info); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    void Run(void (*step)(DecodeState&)) {
        if (Guarded(state_, step)) {
            return;
        }
        if (state_.emptyFile) {
            throw PInternalError("JPEG: empty file");
        }
        char text[sizeof "JPEG: " + JMSG_LENGTH_MAX];
        std::snprintf(text, sizeof text, "JPEG: %s", state_.message);
        throw PInternalError(text);
    }

    DecodeState& state() { return state_; }

  private:
    DecodeState state_;
};

}  // namespace

JpegImage DecodeJpeg(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixels) {
    Decoder decoder(data, size);
    DecodeState& state = decoder.state();
    decoder.Run(Create);
    decoder.Run(ReadHeader);
    const std::uint64_t width = state.info.output_width;
    const std::uint64_t height = state.info.output_height;
    if (width * height > maxPixels) {
        throw PInternalError("JPEG: picture too large");
    }
    JpegImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.resize(width * height * 4);
    std::vector<std::uint8_t> row(width * 3);
    state.row = row.data();
    state.pixels = image.pixels.data();
    decoder.Run(ReadPixels);
    return image;
}
