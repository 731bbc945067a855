// Readouts: frequency, bandwidth, power, band, mode and keyer speed as prompt sequences.
#pragma once

#include <string_view>

// Speaks 11 Hz digits in MHz ("vfob" first when vfoB): the whole MHz, then
// "point" and the decimals without trailing zeros, then "mhz".
void speakFrequency(std::string_view hzDigits, bool vfoB);
// The filter of mode: SSB high-cut index, CW width in Hz; nothing in AM and FM.
void speakBandwidth(int mode, int filterWidth);
// watts, or the reduced-feature radio's fixed 4.5 W when fixedOutput.
void speakPower(int watts, bool fixedOutput);
// The band's name and "metres" (general coverage without); nothing outside every band.
void speakBand(int band);
void speakMode(int mode);
void speakKeyerSpeed(int wordsPerMinute);
