#include "plugin_protocol.h"

#include "core/shared_state.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace kq::link {

namespace {

QByteArray be32(int32_t v) {
    const auto u = uint32_t(v);
    return QByteArray(1, char(u >> 24)) + char(u >> 16) + char(u >> 8) + char(u);
}

// The message's code when the prefix is there.
std::optional<uint16_t> codeOf(QByteArrayView data) {
    if (data.size() < 10 || !data.startsWith(QByteArrayView(kMsgPrefix, 8))) return std::nullopt;
    return uint16_t(uint8_t(data[8]) << 8 | uint8_t(data[9]));
}

} // namespace

QByteArray encodeMessage(uint16_t code, QByteArrayView fields) {
    QByteArray m(kMsgPrefix, 8);
    m.append(char(code >> 8)).append(char(code & 0xFF));
    return m.append(fields);
}

QByteArray encodePictureChunk(int32_t offset, int32_t count, QByteArrayView bytes) {
    return encodeMessage(msg::PictureChunk, be32(offset) + be32(count) + bytes.toByteArray());
}

QByteArray encodePictureDone(int32_t size, int32_t width, int32_t height) {
    return encodeMessage(msg::PictureDone, be32(size) + be32(width) + be32(height));
}

QString Fun_MsgCode(QByteArrayView data) {
    const std::optional<uint16_t> code = codeOf(data);
    return code ? QStringLiteral("%1").arg(*code, 4, 16, QLatin1Char('0')).toUpper() : QString();
}

int64_t Fun_MsgReadBE(int n, QByteArrayView data, qsizetype& position) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++position)
        v = v << 8 | (position < data.size() ? uint8_t(data[position]) : 0u);
    return n == 4 ? int64_t(int32_t(v)) : int64_t(v);
}

PluginPictures::Event PluginPictures::receive(QByteArrayView data) {
    const std::optional<uint16_t> code = codeOf(data);
    if (code == msg::PictureChunk) {
        qsizetype p = 10;
        const int64_t offset = Fun_MsgReadBE(4, data, p), count = Fun_MsgReadBE(4, data, p);
        if (offset < 0 || count < 0 || offset + count > kPluginImageBytes ||
            kPluginChunkHeadBytes + count > data.size()) {
            ++dropped_;
            return Event::Dropped;
        }
        if (count == 0) return Event::Chunk;
        if (image_.size() < offset + count) image_.resize(qsizetype(offset + count), '\0');
        std::memcpy(image_.data() + offset, data.constData() + kPluginChunkHeadBytes, size_t(count));
        markCame(qsizetype(offset), qsizetype(offset + count));
        return Event::Chunk;
    }
    if (code == msg::PictureDone) {
        qsizetype p = 10;
        const int64_t size = Fun_MsgReadBE(4, data, p), width = Fun_MsgReadBE(4, data, p),
                      height = Fun_MsgReadBE(4, data, p);
        // The picture's rows of 32-bit pixels must lie within its size and the buffer. Width and height
        // are bounded first, so that their product cannot overflow.
        if (size <= 0 || size > kPluginImageBytes || width <= 0 || height <= 0 || width > kPluginImageBytes ||
            height > kPluginImageBytes || width * height * 4 > size) {
            ++dropped_;
            return Event::Dropped;
        }
        const auto bytes = qsizetype(width * height * 4);
        const bool whole = allCame(bytes);
        // The next picture starts afresh: only the words the chunks touched need clearing.
        std::fill(came_.begin(), came_.begin() + (dirtyEnd_ + 63) / 64, 0);
        dirtyEnd_ = 0;
        // An incomplete picture leaves the countdown alone: when nothing whole comes, the screen is
        // sampled again once it runs out.
        if (!whole) {
            ++droppedPictures_;
            return Event::Incomplete;
        }
        ++received_;
        // Only whole pictures count toward the warm-up: it lets the plug-in settle, and a torn picture
        // is no sign that it has.
        if (warmUp_ < kPluginWarmUp) ++warmUp_;
        if (warmUp_ == kPluginWarmUp) {
            image_.swap(shownImage_);
            width_ = int(width);
            height_ = int(height);
            shownBytes_ = bytes;
            shown_ = true;
        }
        g_PluginCountdown = kPluginCountdownTicks;
        return Event::Picture;
    }
    return Event::None;
}

void PluginPictures::markCame(qsizetype from, qsizetype to) {
    if (from >= to) return;
    const auto words = size_t((to + 63) / 64);
    if (came_.size() < words) came_.resize(words, 0);
    dirtyEnd_ = std::max(dirtyEnd_, to);
    const qsizetype first = from / 64, last = (to - 1) / 64;
    const uint64_t head = ~0ULL << (from % 64), tail = ~0ULL >> (63 - (to - 1) % 64);
    if (first == last) {
        came_[size_t(first)] |= head & tail;
        return;
    }
    came_[size_t(first)] |= head;
    std::fill(came_.begin() + first + 1, came_.begin() + last, ~0ULL);
    came_[size_t(last)] |= tail;
}

bool PluginPictures::allCame(qsizetype bytes) const {
    if (bytes > dirtyEnd_) return false;
    const qsizetype full = bytes / 64;
    for (qsizetype w = 0; w < full; ++w)
        if (came_[size_t(w)] != ~0ULL) return false;
    const int rest = int(bytes % 64);
    return rest == 0 || (came_[size_t(full)] | (~0ULL << rest)) == ~0ULL;
}

QByteArrayView PluginPictures::pixels() const {
    // The coverage check keeps shownBytes_ within the buffer; the bound keeps the view there regardless.
    return QByteArrayView(shownImage_).first(std::min(shownBytes_, shownImage_.size()));
}

bool PluginPictures::tick() {
    if (g_PluginCountdown <= 0) return false;
    return --g_PluginCountdown == 0;
}

} // namespace kq::link
