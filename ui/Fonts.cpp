// Fonts loaded by the service, and the default font of controls created later.
#include "ui/ControlMessages.h"
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui {

using namespace detail;

std::intptr_t loadFont(int number, std::u16string_view face, int points, std::uint32_t flags) {
    ServiceState& state = service();
    const bool chosen = number == kChooseNumber;
    if (chosen) {
        number = chooseNumber(state.fonts);
    } else if (number < 0) {
        return 0;
    }
    LOGFONTW description{};
    description.lfHeight = -MulDiv(points, screenLogPixelsY(), 72);
    description.lfWeight = (flags & kFontBold) ? FW_BOLD : FW_NORMAL;
    description.lfItalic = (flags & kFontItalic) ? TRUE : FALSE;
    description.lfUnderline = (flags & kFontUnderline) ? TRUE : FALSE;
    description.lfStrikeOut = (flags & kFontStrikeOut) ? TRUE : FALSE;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = (flags & kFontProofQuality) ? PROOF_QUALITY : DEFAULT_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::size_t faceLength = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::copy_n(reinterpret_cast<const wchar_t*>(face.data()), faceLength, description.lfFaceName);
    OwnedFont font(CreateFontIndirectW(&description));
    if (!font) {
        return 0;
    }
    const HFONT handle = font.get();
    const auto previous = state.fonts.find(number);
    if (previous != state.fonts.end() && state.defaultFont == previous->second.get()) {
        state.defaultFont = handle;
    }
    state.fonts[number] = std::move(font); // frees the font the number held before
    return chosen ? number : reinterpret_cast<std::intptr_t>(handle);
}

HFONT fontHandle(int number) {
    const auto& fonts = service().fonts;
    const auto found = fonts.find(number);
    return found == fonts.end() ? nullptr : found->second.get();
}

void setControlFont(int control, HFONT font) {
    if (control == kDefaultFontControl) {
        service().defaultFont = font;
        return;
    }
    if (HWND handle = controlHandle(control)) {
        controlSetFont(handle, font, true);
    }
}

} // namespace ui
