// Receiver and transmit toggles.
#pragma once

// Each speaks its name and "on"/"off" when spoken (the keys; a network
// client's change is not spoken), sends its switch command, flips its state
// and redraws the status row.
// Preamp ("PA"), kept per band in character 30 of the band record; the
// reduced-feature radio has none (preampOn 0, silent).
void togglePreamp(bool spoken);
// The preamp switched on or off as asked, with togglePreamp's words, command
// and band-record flag, even when it already is so: a recalled band or
// channel says and sends its own setting.
void setPreamp(bool on, bool spoken);
void toggleAttenuator(bool spoken);  // "RA01"/"RA00"
// "NB1"/"NB0"; switched on, reads nbLevel ("NL") and gives the level keys to it.
void toggleNoiseBlanker(bool spoken);
// "NR1"/"NR0"; switched on, reads nrLevel ("RL"); state 2 switches off silently.
void toggleNoiseReduction(bool spoken);
void toggleNotch(bool spoken);  // "NT10"/"NT00"
// "PR1"/"PR0"; state 2 switches off silently.
void toggleProcessor(bool spoken);
// "VX1"/"VX0" as VOX, or as break-in in CW; state 2 only clears both.
void toggleVox(bool spoken);
// F12: the antenna tuner on ("AC110") or off ("AC000").
void toggleTuner(bool spoken);
// F9: the transmit monitor on ("ML" and the level read from the radio) or
// off ("ML000").
void toggleMonitor(bool spoken);
// Space: transmit on ("tx" "on" when spoken, txCommand; SWR speech parked
// in parkedSwrSpeech, tuner state 0) or off ("RX", "tx" "off" when spoken;
// SWR speech given back). txCommand is "TX" for the key; a network client
// may ask for "TX0" (microphone) or "TX1" (data).
void toggleTransmit(bool spoken, const char* txCommand = "TX");
// Keys the transmitter Space asked for once the speech before it has
// sounded (nothing while speech is queued, or when Space was pressed again).
void sendTransmitAfterSpeech();
// On every tick: a transmission another program started (txByProgramAtMs)
// that has lasted txLimitSeconds (0 = no limit) ends as Space ends it,
// with "RX" and "tx" "off", and a tuning it started (tuneByProgramAtMs)
// ends with endProgramTuning; returns true then. The operator's own
// transmission is not limited.
bool limitProgramTransmission();
// Ends a tuning another program started (tuneByProgramAtMs), unless the
// radio says it has ended: "AC" asked, then "AC110", and "tune" "off" when
// spoken. True when it sent the stop. Clears tuneByProgramAtMs.
bool endProgramTuning(bool spoken);

// The transmit state alone, for Space and for what another program keys or
// releases: on, SWR speech is parked in parkedSwrSpeech and the tuner state
// cleared; off, SWR speech comes back. Either way the transmission counts
// as the operator's (txByProgramAtMs -1) until the caller says otherwise.
// Sends and speaks nothing; a state already as asked is left alone.
void setTransmitState(bool on);
