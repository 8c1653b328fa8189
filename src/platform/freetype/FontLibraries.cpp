// FreeType and fontconfig, opened when the first text is measured or drawn: a program that
// never shows a detail window or a menu never loads them. Each function the text calls is
// defined here and passes the call on; without the library, each fails as it would without a
// font.
#include "platform/posix/SharedLibrary.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

platform::SharedLibrary& freetype() {
    static platform::SharedLibrary library("libfreetype.so.6");
    return library;
}

platform::SharedLibrary& fontconfig() {
    static platform::SharedLibrary library("libfontconfig.so.1");
    return library;
}

constexpr FT_Error missing = FT_Err_Cannot_Open_Resource;

} // namespace

extern "C" {

PAKVUE_PASS_ON(freetype, missing, FT_Error, FT_Init_FreeType, (FT_Library * library), (library))
PAKVUE_PASS_ON(freetype, missing, FT_Error, FT_Done_FreeType, (FT_Library library), (library))
PAKVUE_PASS_ON(freetype, missing, FT_Error, FT_New_Face,
               (FT_Library library, const char* path, FT_Long index, FT_Face* face),
               (library, path, index, face))
PAKVUE_PASS_ON(freetype, missing, FT_Error, FT_Done_Face, (FT_Face face), (face))
PAKVUE_PASS_ON(freetype, missing, FT_Error, FT_Select_Size, (FT_Face face, FT_Int strike),
               (face, strike))
PAKVUE_PASS_ON(freetype, missing, FT_Error, FT_Set_Pixel_Sizes,
               (FT_Face face, FT_UInt width, FT_UInt height), (face, width, height))
PAKVUE_PASS_ON(freetype, missing, FT_Error, FT_Load_Char,
               (FT_Face face, FT_ULong code, FT_Int32 flags), (face, code, flags))

PAKVUE_PASS_ON(fontconfig, nullptr, FcPattern*, FcNameParse, (const FcChar8* name), (name))
PAKVUE_PASS_ON(fontconfig, FcFalse, FcBool, FcConfigSubstitute,
               (FcConfig * config, FcPattern* pattern, FcMatchKind kind), (config, pattern, kind))
PAKVUE_PASS_ON_VOID(fontconfig, FcDefaultSubstitute, (FcPattern * pattern), (pattern))
PAKVUE_PASS_ON(fontconfig, nullptr, FcPattern*, FcFontMatch,
               (FcConfig * config, FcPattern* pattern, FcResult* result), (config, pattern, result))
PAKVUE_PASS_ON_VOID(fontconfig, FcPatternDestroy, (FcPattern * pattern), (pattern))
PAKVUE_PASS_ON(fontconfig, FcResultNoMatch, FcResult, FcPatternGetInteger,
               (const FcPattern* pattern, const char* object, int n, int* value),
               (pattern, object, n, value))
PAKVUE_PASS_ON(fontconfig, FcResultNoMatch, FcResult, FcPatternGetString,
               (const FcPattern* pattern, const char* object, int n, FcChar8** value),
               (pattern, object, n, value))
PAKVUE_PASS_ON_VOID(fontconfig, FcFini, (), ())

} // extern "C"
