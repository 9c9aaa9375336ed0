#include "admin/device_utilities.h"
#include "admin/machine_parameters.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// The four values read from a block go back into it unchanged, as the window's boxes do.
void roundTrip(const uint8_t* block) {
    using namespace kq::admin;
    const ParameterFields f = readFields(block);
    ParameterBlock again{};
    std::memcpy(again.data(), block, kParameterSentBytes);
    const auto problem = writeFields(again.data(), QString::number(f.dmxAddress), QString::number(f.playFile),
                                     QString::number(f.id), QString::number(f.playTime));
    // Only ID 0 lies outside what the boxes take.
    if (problem.has_value() != (f.id == 0)) __builtin_trap();
    if (std::memcmp(again.data(), block, kParameterSentBytes) != 0) __builtin_trap();
}

} // namespace

// One reply as the machines send it: chip records ("8015"), a parameter block ("8012") or a version.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kq::admin;
    const QByteArrayView reply(reinterpret_cast<const char*>(data), qsizetype(size));

    const ChipList list = parseChipRecords(reply);
    if (int(list.chips.size()) > kMaxChips) __builtin_trap();
    if (qsizetype(list.chips.size()) + list.skipped + list.beyond !=
        (reply.size() + kChipRecordBytes - 1) / kChipRecordBytes)
        __builtin_trap();
    for (const ChipRecord& c : list.chips) {
        if (c.serial.size() != 12 || chipListLine(c).isEmpty()) __builtin_trap();
        // A record made of what was read is read back the same.
        const QByteArray record = setByChipPayload(c.id, c.serial, c.parameters.data());
        const ChipList back = parseChipRecords(record);
        if (back.chips.size() != 1 || back.skipped != 0 || back.beyond != 0 || back.chips[0].id != c.id ||
            back.chips[0].serial != c.serial || back.chips[0].parameters != c.parameters)
            __builtin_trap();
        if (selectChipPayload(c.id, c.serial) != record.left(14) + QByteArray::fromHex("FF0100")) __builtin_trap();
        roundTrip(c.parameters.data());
    }

    // The parameter window keeps what fits its block of the reply.
    ParameterBlock block{};
    std::copy_n(data, std::min(size, block.size()), block.begin());
    roundTrip(block.data());

    // Every byte is at most one character, or one with the byte after it.
    if (versionText(reply).size() > reply.size()) __builtin_trap();
    return 0;
}
