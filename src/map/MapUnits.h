#pragma once

#include <cstdint>

namespace hl {

// The units and limits of the map format and of the editor's view of it, in one place so that
// a reader meets each number once, with its reason.

// ---- The cell on screen ----------------------------------------------------------------
// One cell at zoom 1; a big tile covers 2 x 2 cells, a small tile one.
inline constexpr int kCellWidth = 48;
inline constexpr int kCellHeight = 32;
inline constexpr int kBigTileWidth = 2 * kCellWidth;
inline constexpr int kBigTileHeight = 2 * kCellHeight;
// Big tiles lie on even cells; the big-tile brush paints whole 4 x 4-cell blocks.
inline constexpr int kBigTileStep = 2;
inline constexpr int kBigBlockStep = 4;

// ---- Zoom ------------------------------------------------------------------------------
// The zoom is held in exact hundredths so that every step lands on the same pixels.
inline constexpr int kZoomDenominator = 100;
inline constexpr int kStartZoom = 40;
inline constexpr int kMinZoom = 5;
inline constexpr int kMaxZoom = 200;

// ---- Map bounds ------------------------------------------------------------------------
// Every map lives in a fixed square of storage, whatever its size.
inline constexpr int kStorageSide = 1011;
inline constexpr int kLastStorageCell = kStorageSide - 1;
// The largest width and height a map may be given ("Map Size (999 x 999)").
inline constexpr int kMaxMapSide = 999;
// Cell getters and most setters answer for columns and rows 0 .. kAccessEnd - 1 only.
inline constexpr int kAccessEnd = 999;
// Some setters, the bulk object commands and the map shift reach one column and row further.
inline constexpr int kLastWideCell = kAccessEnd;
// A map file may declare at most the whole storage.
inline constexpr int kMaxFileSide = kStorageSide;

// ---- Cell fields -----------------------------------------------------------------------
// BackTile and ObjectImage keep a mark in bit 15 and a number + 1 in bits 0-14.
inline constexpr std::uint16_t kMarkBit = 0x8000;
inline constexpr std::uint16_t kNumberBits = 0x7FFF;
// The largest image number a 15-bit field + 1 can hold; 16-bit MiddleTile holds one more bit.
inline constexpr int kMaxFieldImage = kNumberBits - 1;
inline constexpr int kMaxMiddleImage = 0xFFFF - 1;
// Light and DoorOffset are bytes. Door keeps the door number in bits 0-6 and the core flag in
// bit 7, which the door dialog shows as a check box of its own.
inline constexpr int kMaxLight = 0xFF;
inline constexpr int kMaxDoorOffset = 0xFF;
inline constexpr int kMaxDoorIndex = 0x7F;
inline constexpr int kDoorCoreFlag = 0x80;

// ---- Tile groups and special images ------------------------------------------------------
// "Tiles" comes in groups of 50 big tiles (one ground each), "SmTiles" in groups of 60.
inline constexpr int kBigTileGroupSize = 50;
inline constexpr int kSmallTileGroupSize = 60;
// The big tile that counts as neutral ground: painting may always replace it.
inline constexpr int kNeutralBigTile = 99;
// Images of "SmTiles" drawn as the light, back-mark and front-mark signs.
inline constexpr int kLightMarkImage = 57;
inline constexpr int kBackMarkImage = 58;
inline constexpr int kFrontMarkImage = 59;

// ---- Objects ---------------------------------------------------------------------------
// "Objects", "Objects2" ... "Objects20".
inline constexpr int kObjectLibraries = 20;
// Images per library in an ObjectIndex (library x 65535 + image). Not 65536: the stored files
// and the set files were made with this base and must keep reading the same.
inline constexpr int kObjectIndexBase = 65535;

// An object image named across all libraries by one number.
struct ObjectIndex {
  static constexpr int Make(int library, int image) { return library * kObjectIndexBase + image; }
  static constexpr int Library(int index) { return index / kObjectIndexBase; }
  static constexpr int Image(int index) { return index % kObjectIndexBase; }
  // What a cell holds, from its ObjectLib and the number bits of ObjectImage (-1: no object).
  static constexpr int FromCell(int objectLib, int imageNumberPlusOne) {
    return Make(objectLib, imageNumberPlusOne) - 1;
  }
  // Whether a cell's fields can hold it (or -1 for none): a cell stores ObjectIndex + 1 taken
  // apart by the base, the image part below the FrontMark bit and the library part in a byte.
  // The image number itself must fit: the last one of a library, + 1, would wrap round to the
  // base and read back as no object of the next library.
  static constexpr bool FitsCell(long long index) {
    if (index == -1) return true;
    return index >= 0 && index % kObjectIndexBase <= kMaxFieldImage &&
           index / kObjectIndexBase <= 0xFF;
  }
  // Whether it names an image that one of the object libraries could hold.
  static constexpr bool NamesLibraryImage(int index) {
    return index >= 0 && Library(index) < kObjectLibraries && Image(index) <= kMaxFieldImage;
  }
};

}  // namespace hl
