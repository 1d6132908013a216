// Fonts loaded by the service and kept until the common end, and the font of a control.
#include "ui/ControlMessages.h"
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui {

using namespace detail;

HFONT loadFont(std::u16string_view face, int points, std::uint32_t flags) {
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
        return nullptr;
    }
    const HFONT handle = font.get();
    service().fonts.push_back(std::move(font));
    return handle;
}

void setControlFont(Control& control, HFONT font) {
    if (control.handle) {
        controlSetFont(control.handle, font, true);
    }
}

} // namespace ui
