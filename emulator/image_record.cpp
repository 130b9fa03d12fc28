#include "emulator/image_record.h"

#include "emulator/placeholder_image.h"

namespace emu {

void ImageRecord::Begin(uint16_t code, uint32_t size, uint32_t rejectCode, bool keepBytes) {
    last_ = ImageWrite{};
    last_.seen = true;
    last_.code = code;
    last_.size = size;
    last_.rejectCode = rejectCode;
    running_ = Fnv1a64{};
    keepBytes_ = keepBytes && rejectCode == 0;
    bytes_.clear();
    bytes_.shrink_to_fit();
    if (keepBytes_) {
        bytes_.reserve(size);  // bounded: an accepted write has the size of a known image
    }
}

void ImageRecord::Take(const uint8_t* data, size_t size) {
    running_.Update(data, size);
    last_.checksum = running_.Value();
    last_.received += size;
    if (keepBytes_) {
        bytes_.insert(bytes_.end(), data, data + size);
    }
}

void ImageRecord::Finish() {
    last_.complete = last_.received == last_.size;
}

std::optional<int> ImageRecord::MatchingPlaceholder() const {
    if (!last_.complete) {
        return std::nullopt;
    }
    for (const PlaceholderImageInfo& image : kPlaceholderImages) {
        if (image.size == last_.size && image.checksum == last_.checksum) {
            return image.id;
        }
    }
    return std::nullopt;
}

}  // namespace emu
