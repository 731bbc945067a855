// Named values every area speaks of: the program's version, the mode
// numbers and the band numbers.
#pragma once

// The version written into the memory file and the debug log.
constexpr const char* kVersionText = "3.4a";

// Mode numbers, as the band records keep them. The radio numbers its modes
// differently ("MD5" is AM, "MD4" both FM widths): mode_filter translates.
enum ModeNumber { kModeLsb = 1, kModeUsb = 2, kModeCw = 3, kModeAm = 4, kModeFmNarrow = 5, kModeFm = 7 };
// The one answer to "is this a mode": the record checks and every reader of
// a mode digit ask it. 6 is none: no mode command is sent for it.
constexpr bool isModeNumber(int m) {
    return m == kModeLsb || m == kModeUsb || m == kModeCw || m == kModeAm || m == kModeFmNarrow || m == kModeFm;
}
// The sidebands: the modes with a high-cut filter index and the speech
// processor.
constexpr bool isSsb(int mode) { return mode == kModeLsb || mode == kModeUsb; }

// Band numbers: 1 = 160 m ... 10 = 10 m, 11 = 6 m, 12 = 2 m, 13 = 70 cm,
// 14 = general coverage; kNoBand = a frequency outside every band, which has
// no record in the band table.
enum BandNumber {
    kFirstBand = 1, kBand12m = 9, kBand10m = 10, kBand6m = 11, kBand2m = 12, kBand70cm = 13, kBandGeneral = 14,
    kLastBand = kBandGeneral, kNoBand = 99,
};
constexpr int kBandSlots = kLastBand + 1;  // size of a table indexed by band: slot 0 unused
constexpr int kDefaultBand = 4;  // 40 m, when the memory file names no band
// Bands with a record in the band table.
constexpr bool bandHasRecord(int band) { return band >= kFirstBand && band <= kLastBand; }
