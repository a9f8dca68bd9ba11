#include "platform/options.h"

#include <cstdlib>
#include <cstring>

namespace bw {
namespace {

constexpr uint32_t kFixedWords = 36;  // words 0..34 and the constant count
constexpr uint32_t kConstantPairSize = 8;

GameOptions g_options;

class OptionWords {
public:
    OptionWords(const PackageView& package, uint32_t offset) : m_package(package), m_offset(offset) {}
    uint32_t Word(uint32_t index) const
    {
        uint32_t value = 0;
        m_package.ReadU32(uint64_t{m_offset} + 4 * uint64_t{index}, value);  // inside: checked by the caller
        return value;
    }
    bool Flag(uint32_t index) const { return Word(index) != 0; }
    int32_t Int(uint32_t index) const { return static_cast<int32_t>(Word(index)); }

private:
    const PackageView& m_package;
    uint32_t m_offset;
};

bool ReadConstants(const PackageView& package, const OptionWords& words, uint32_t length, GameOptions& options)
{
    const uint32_t count = words.Word(kFixedWords - 1);
    if (count > (length - kFixedWords * 4) / kConstantPairSize) {
        return false;
    }
    options.constants.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        GameOptionConstant& constant = options.constants[i];
        const uint32_t index = kFixedWords + 2 * i;
        if (!Wad_PatchString(package, words.Word(index), &constant.name) ||
            !Wad_PatchString(package, words.Word(index + 1), &constant.value)) {
            return false;
        }
        if (constant.name == nullptr || constant.value == nullptr) {
            continue;
        }
        if (std::strcmp(constant.name, "VersionMajor") == 0) {
            options.versionMajor = std::atoi(constant.value);
        } else if (std::strcmp(constant.name, "VersionMinor") == 0) {
            options.versionMinor = std::atoi(constant.value);
        }
    }
    return true;
}

}  // namespace

GameOptions& Options()
{
    return g_options;
}

void Options_SetDefaults()
{
    g_options = GameOptions{};
}

bool Options_Load(const PackageView& package, uint32_t offset, uint32_t length, int32_t headerFormat,
                  bool inAWindow)
{
    if (length < kFixedWords * 4 || !package.Contains(offset, length)) {
        return false;
    }
    const OptionWords w(package, offset);
    GameOptions o;
    o.fullScreen = w.Flag(0) && !inAWindow;
    o.flag1 = w.Flag(1);
    o.newAudio = w.Flag(2);
    o.flag3 = w.Flag(3);
    o.showCursor = w.Flag(4);
    o.value5 = w.Int(5);
    o.flag6 = w.Flag(6);
    o.flag7 = w.Flag(7);
    o.windowColour = w.Word(8);
    o.changeDisplay = w.Flag(9);
    o.colourDepthCode = w.Int(10);
    o.resolutionCode = w.Int(11);
    o.frequencyCode = w.Int(12);
    o.flag13 = w.Flag(13);
    o.value14 = w.Int(14);
    o.altEnterFullScreen = w.Flag(15);
    o.flag16 = w.Flag(16);
    o.flag17 = w.Flag(17);
    o.flag18 = w.Flag(18);
    o.flag19 = w.Flag(19);
    o.flag20 = w.Flag(20);
    o.value21 = w.Int(21);
    o.freezeWhenInactive = w.Flag(22);
    o.loadingBar = w.Flag(23);
    if (!Wad_PatchPointer(package, w.Word(26), 1, &o.word26)) {
        return false;
    }
    o.flag27 = w.Flag(27);
    o.flag28 = w.Flag(28) ? 1 : 0;
    o.flag29 = w.Flag(29);
    o.flag31 = w.Flag(31);
    o.allErrorsFatal = w.Flag(32);
    o.uninitialisedAreErrors = w.Flag(33);
    if (headerFormat >= 5) {
        o.createEventBeforeCode = w.Flag(34);
    }
    if (!ReadConstants(package, w, length, o)) {
        return false;
    }
    g_options = std::move(o);
    return true;
}

}  // namespace bw
