#pragma once
// The numbers of the Scintilla messages and values that this program and its tests send and
// read, under Scintilla's own names, so that each is written once and reads as in Scintilla's
// documentation. Plain C++, no Win32; not to be included together with Scintilla.h, whose
// macros of the same names would replace these.

namespace idelink {

// Messages, in Scintilla's numbering.
inline constexpr unsigned SCI_CLEARALL = 2004;
inline constexpr unsigned SCI_GETLENGTH = 2006;
inline constexpr unsigned SCI_GETCURRENTPOS = 2008;
inline constexpr unsigned SCI_GETANCHOR = 2009;
inline constexpr unsigned SCI_GOTOPOS = 2025;
inline constexpr unsigned SCI_GETCURLINE = 2027;
inline constexpr unsigned SCI_GETEOLMODE = 2030;
inline constexpr unsigned SCI_SETCODEPAGE = 2037;
inline constexpr unsigned SCI_STYLEGETSIZEFRACTIONAL = 2062;
inline constexpr unsigned SCI_STYLESETCHARACTERSET = 2066;
inline constexpr unsigned SCI_SETSELECTIONSTART = 2142;
inline constexpr unsigned SCI_SETSELECTIONEND = 2144;
inline constexpr unsigned SCI_SETSEL = 2160;
inline constexpr unsigned SCI_GETTEXTRANGE = 2162;
inline constexpr unsigned SCI_POINTXFROMPOSITION = 2164;
inline constexpr unsigned SCI_POINTYFROMPOSITION = 2165;
inline constexpr unsigned SCI_LINEFROMPOSITION = 2166;
inline constexpr unsigned SCI_POSITIONFROMLINE = 2167;
inline constexpr unsigned SCI_GETCODEPAGE = 2137;
inline constexpr unsigned SCI_EMPTYUNDOBUFFER = 2175;
inline constexpr unsigned SCI_GETTEXT = 2182;
inline constexpr unsigned SCI_TEXTHEIGHT = 2279;
inline constexpr unsigned SCI_APPENDTEXT = 2282;
inline constexpr unsigned SCI_SETSELECTIONMODE = 2422;
inline constexpr unsigned SCI_GETSELECTIONMODE = 2423;
inline constexpr unsigned SCI_STYLEGETFORE = 2481;
inline constexpr unsigned SCI_STYLEGETBACK = 2482;
inline constexpr unsigned SCI_STYLEGETSIZE = 2485;
inline constexpr unsigned SCI_STYLEGETFONT = 2486;
inline constexpr unsigned SCI_STYLEGETCHARACTERSET = 2490;
inline constexpr unsigned SCI_GETCHARACTERPOINTER = 2520;
inline constexpr unsigned SCI_SETMULTIPLESELECTION = 2563;
inline constexpr unsigned SCI_GETSELECTIONS = 2570;
inline constexpr unsigned SCI_ADDSELECTION = 2573;
inline constexpr unsigned SCI_GETELEMENTCOLOUR = 2754;
inline constexpr unsigned SCI_GETELEMENTISSET = 2756;

// The elements whose colours SCI_GETELEMENTCOLOUR tells.
inline constexpr int SC_ELEMENT_SELECTION_TEXT = 10;
inline constexpr int SC_ELEMENT_SELECTION_BACK = 11;

// SCI_GETEOLMODE's answers.
inline constexpr int SC_EOL_CRLF = 0;
inline constexpr int SC_EOL_CR = 1;
inline constexpr int SC_EOL_LF = 2;

// SCI_GETSELECTIONMODE's answers and SCI_SETSELECTIONMODE's argument.
inline constexpr int SC_SEL_STREAM = 0;
inline constexpr int SC_SEL_RECTANGLE = 1;
inline constexpr int SC_SEL_THIN = 3;

// SCI_SETCODEPAGE's argument for UTF-8.
inline constexpr int SC_CP_UTF8 = 65001;

// The style whose character set decides the code page of a document in code page 0.
inline constexpr int STYLE_DEFAULT = 32;

// The character sets of a style (SCI_STYLEGETCHARACTERSET).
inline constexpr int SC_CHARSET_ANSI = 0;
inline constexpr int SC_CHARSET_DEFAULT = 1;
inline constexpr int SC_CHARSET_SYMBOL = 2;
inline constexpr int SC_CHARSET_MAC = 77;
inline constexpr int SC_CHARSET_SHIFTJIS = 128;
inline constexpr int SC_CHARSET_HANGUL = 129;
inline constexpr int SC_CHARSET_JOHAB = 130;
inline constexpr int SC_CHARSET_GB2312 = 134;
inline constexpr int SC_CHARSET_CHINESEBIG5 = 136;
inline constexpr int SC_CHARSET_GREEK = 161;
inline constexpr int SC_CHARSET_TURKISH = 162;
inline constexpr int SC_CHARSET_VIETNAMESE = 163;
inline constexpr int SC_CHARSET_HEBREW = 177;
inline constexpr int SC_CHARSET_ARABIC = 178;
inline constexpr int SC_CHARSET_BALTIC = 186;
inline constexpr int SC_CHARSET_RUSSIAN = 204;
inline constexpr int SC_CHARSET_THAI = 222;
inline constexpr int SC_CHARSET_EASTEUROPE = 238;
inline constexpr int SC_CHARSET_OEM = 255;
inline constexpr int SC_CHARSET_OEM866 = 866;
inline constexpr int SC_CHARSET_8859_15 = 1000;
inline constexpr int SC_CHARSET_CYRILLIC = 1251;

} // namespace idelink
