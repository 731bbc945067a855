// Memory channels: the digit-key router, channel store, recall and step.
#pragma once

// Every digit key: band number, menu digits, channel store or recall, typed
// frequency, CTCSS tone.
void onDigitKey();
// U with a recalled channel: the next stored channel.
void channelStep();
// Any key but a digit and B while a channel command is pending.
void cancelChannelCommand();
