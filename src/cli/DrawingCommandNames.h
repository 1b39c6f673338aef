#pragma once

#include <string_view>

namespace hl::cli {

// The synopses of the commands that read or draw pictures (and import-tmx, whose XML reader
// is Qt's). Their code needs QtGui, which
// costs every run that loads it, so it lives in the program hlmap-draw; hlmap knows these
// commands by their synopses alone (for its help) and hands their command lines over.
// Each synopsis begins "hlmap NAME".
inline constexpr std::string_view kLibInfoSynopsis = "hlmap lib-info LIB [--format wil|data]";
inline constexpr std::string_view kLibExportSynopsis =
    "hlmap lib-export LIB INDEX OUT [--raw] [--texture] [--format wil|data] [--png-level 0-9]";
inline constexpr std::string_view kLibPackSynopsis =
    "hlmap lib-pack OUT (--wil [--depth 8|16|24|32] [--older] | --data [--method 0|1|2|3]) "
    "IMAGE...";
inline constexpr std::string_view kDemoLibsSynopsis =
    "hlmap demo-libs DIR [--format data|wil|both]";
inline constexpr std::string_view kRenderSynopsis =
    "hlmap render MAP OUT.png [--format wil|data] [--libs DIR] [--zoom Z] [--size WxH] "
    "[--scroll X,Y] [--hide back,middle,objects] [--marks] [--opaque-middle] [--png-level 0-9]";
inline constexpr std::string_view kExportBmpSynopsis =
    "hlmap export-bmp MAP OUT.bmp [--format wil|data] [--libs DIR]";
inline constexpr std::string_view kApplySynopsis =
    "hlmap apply MAP|new:WxH OUT [--format wil|data] [--libs DIR] [--seed N] [--script FILE]";
inline constexpr std::string_view kDemoWorldSynopsis = "hlmap demo-world DIR";
inline constexpr std::string_view kExportTmxSynopsis =
    "hlmap export-tmx MAP OUT.tmx [--format wil|data] [--libs DIR]";
inline constexpr std::string_view kImportTmxSynopsis =
    "hlmap import-tmx IN.tmx OUT.map [--format wil|data]";
inline constexpr std::string_view kWorldRenderSynopsis =
    "hlmap world-render PROJECT.mp OUT.png [--scale 1/N] [--area C0,R0,C1,R1] "
    "[--format wil|data] [--libs DIR] [--png-level 0-9]";

// In the order of the help.
inline constexpr std::string_view kDrawingSynopses[] = {
    kLibInfoSynopsis,   kLibExportSynopsis,   kLibPackSynopsis, kDemoLibsSynopsis,
    kRenderSynopsis,    kExportBmpSynopsis,   kApplySynopsis,   kDemoWorldSynopsis,
    kExportTmxSynopsis, kImportTmxSynopsis,   kWorldRenderSynopsis};

}  // namespace hl::cli
