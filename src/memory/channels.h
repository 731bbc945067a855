// Memory channels: channel store, recall and step. The channel record's
// layout and checks are in shell/records.h.
#pragma once

// The bank digit after B (channelBank was kBankDigitNext): channelBank =
// bank; speaks the digit and "channel". The command stays pending.
void chooseChannelBank(int bank);
// C then a slot digit: the current band's settings into slot of
// channelBank, then the memory file saved; speaks the slot and "ok". Outside
// every band, or when the save does not reach the disk, speaks "invalid" and
// leaves the channel table as it was. channelAction = 0.
void storeChannel(int slot);
// G (or U) then a slot digit: puts the channel in slot of channelBank into
// the radio (split, band record, mode, VFO A, tone, VFO B, preamp) and
// speaks it. An empty or unusable channel speaks the slot and "invalid" and
// sends nothing. channelAction = 0; recalledBank/recalledSlot follow.
void recallChannel(int slot);
// U: with a recalled channel (recalledBank 0..9) recalls the next usable
// channel of that bank, wrapping past slot 9; speaks "channel" first.
// Does nothing when no channel was recalled.
void channelStep();
// Any key but a digit and B while a channel command is pending:
// channelAction = 0, channelBank = 0. Speaks nothing.
void cancelChannelCommand();
