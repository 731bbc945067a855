#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tools/fuzz/corpus/.

The radio and pass-through targets read their input with libFuzzer's
FuzzedDataProvider: texts from the front, each ended by a backslash and one
more byte, and the step choices one byte each from the back. The seeds here
are real radio answers and real pass-through traffic in that layout; the
memory-file and configuration seeds are files as the program writes and
reads them."""

import os

HERE = os.path.dirname(os.path.abspath(__file__))


def provider_input(texts, choices):
    """texts in order from the front; choices (bytes) in the order they are
    consumed, which is from the back."""
    front = b"".join(t.encode("latin-1").replace(b"\\", b"\\\\") + b"\\\n" for t in texts)
    return front + bytes(reversed(choices))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


# --- radio answers -------------------------------------------------------
# Choices: start-up? (odd = yes), then for the direct set-up the model index,
# connected and SWR speech; then one byte per action (see runAction).
ANSWERS = ["FA00014200000;", "SM00012;", "ID023;", "AG0100;", "AC000;", "VX0;", "NR0;", "ML007;", "PR0;",
           "SQ0030;", "KS020;", "MG050;", "RM30012;", "RM10003;", "NL005;", "RL04;", "EX0120000 3;",
           "FB00007100000;", "?;", "OMQC;", "SM048;", "FA00145000000;SM00030;"]
write("fuzz_radio_replies", "startup_model_023",
      provider_input(["", "ID023;", "", "", "", "SQ0030;"] + ANSWERS,
                     [1, 3, 0, 1, 0] + [1, 2, 1, 2, 3, 1, 2, 6, 7, 8, 9, 5, 1, 2, 5, 15, 12, 1, 2]))
write("fuzz_radio_replies", "startup_reduced_radio",
      provider_input(["", "ID020;", "OMQC;", "", "", "VN;"] + ["FA00007100000;", "SM048;", "AG0040;", "RM10003;"],
                     [1, 1, 1, 0, 0] + [1, 2, 1, 2, 11, 12, 1, 2]))
write("fuzz_radio_replies", "polls_connected",
      provider_input(ANSWERS, [0, 0, 1, 1] + [0, 1, 2, 1, 2, 4, 1, 2, 5, 1, 2, 1, 2, 5, 6, 7, 13, 1, 2, 14, 1, 2]))
write("fuzz_radio_replies", "state_query_model_024",
      provider_input(["AG0080;", "", "", "", "", "", "", "", "AC010;", "VX1;", "NR1;", "ML128;", "PR1;"] +
                     ["EX00012 3;", "KS025;"], [0, 3, 1, 1] + [3, 7, 6, 15, 1, 2]))
write("fuzz_radio_replies", "late_and_joined_answers",
      provider_input(["FA00007100000;SM00005;", "SM0", "0012;FA000071", "00000;", "RM30025;RM10002;"] * 3,
                     [0, 0, 1, 1] + [0, 1, 0, 2, 1, 5, 0, 2, 0, 1, 12, 2, 1]))

# FM narrow, a tone typed (I 1 2, a poll in between, Enter), a channel
# stored (C 1) and recalled (G 1). Key bytes index kKeys: I 8, 1 25, 2 26,
# Enter 30, C 2, G 6.
write("fuzz_radio_replies", "tone_entry_and_channel",
      provider_input(["FA00145000000;", "SM00012;", "FA00145000000;", "", "SQ0020;"] * 4,
                     [0, 0, 1, 1] + [4, 1, 15, 8, 15, 25, 1, 2, 15, 26, 1, 15, 30, 1, 2,
                                     15, 2, 15, 25, 15, 6, 15, 25, 1, 2]))

# --- pass-through ---------------------------------------------------------
# Choices: model index, connected, split, debug log; then per step 0/1 a
# piece from the other program, 2 a radio answer unasked, 3 a tick, 4 the
# pass-through service alone.
write("fuzz_passthrough", "logger_frequency_query",
      provider_input(["FA;", "FA00014074000;", "", "", "IF;", "IF00014074000      000000000020000000;", "MD2;",
                      "FA", ";", "FA00007074000;"],
                     [0, 1, 0, 0] + [0, 4, 3, 3, 0, 4, 0, 4, 0, 3, 1, 3, 4]))
write("fuzz_passthrough", "digital_mode_program",
      provider_input(["ID;FA;MD;", "ID023;", "", "FA00014074000;", "MD2;", "TX;", "", "RX;", "", "FB;",
                      "FB00014075000;"],
                     [2, 1, 1, 1] + [0, 3, 3, 0, 3, 0, 4, 0, 4, 0, 4, 0, 3, 3]))
write("fuzz_passthrough", "split_pieces",
      provider_input(["F", "A", ";", "FA00021074000;", "AG0;", "AG0120;", "?;", "SM0;", "SM00015;"],
                     [0, 1, 2, 0] + [0, 3, 0, 3, 0, 3, 3, 0, 4, 0, 4]))

# --- memory file ----------------------------------------------------------
FACTORY = [
    "01A00001900000B000019000009990", "01A00003600000B000036000009990", "02A00005400000B000054000009990",
    "01A00007100000B000071000009990", "03A00010100000B000101000009990", "02A00014200000B000142000009991",
    "02A00018100000B000181000009991", "02A00021200000B000212000009991", "02A00024890000B000248900009991",
    "02A00028500000B000285000009991", "02A00050150000B000501500009991", "05A00145000000B001450000009990",
    "05A00432000000B004320000009990", "04A00009600000B000096000009990",
]


def memory_file(band_char, bands, channels, eol="\r\n"):
    header = "RIGVOX v3.2b   3.4a" + ("" if band_char is None else " " + band_char)
    return eol.join([header] + bands + channels) + eol


empty = ["9"] * 100
stored = list(empty)
stored[0] = "0104A00007074000B000071000009990"
stored[1] = "0206A00014200000B000142000009991"
stored[12] = "1512A00145600000B001450000000080"
stored[57] = "0399A00027255000B000272550009990"
stored[99] = "0414A00009600000B000096000009990"
write("fuzz_memory_file", "first_run", memory_file("4", FACTORY, empty))
write("fuzz_memory_file", "channels_stored", memory_file(">", FACTORY, stored))
write("fuzz_memory_file", "no_band_lf_only", memory_file(None, FACTORY, stored, "\n"))
write("fuzz_memory_file", "short_file_cr_only", memory_file("6", FACTORY[:9], [], "\r"))
write("fuzz_memory_file", "other_mark", "RIGVOX v3.2c   3.4a 4\r\n" + "\r\n".join(FACTORY) + "\r\n")

# --- configuration file ---------------------------------------------------
with open(os.path.join(HERE, "..", "sample-rigvox.cfg"), "rb") as f:
    write("fuzz_config", "sample", f.read())
write("fuzz_config", "two_digit_ports_crlf",
      "\r\n".join(["COM=12", "SPEED=4800", "POWER=150", "SWR=1", "ATU=2", "MAXBAND=2", "ON/OFF=1",
                   "BRIDGE=13", "DEBUG=1"]) + "\r\n")
write("fuzz_config", "bridge_and_debug",
      "\n".join(["COM=1", "SPEED=9600", "POWER=50", "SWR=0", "ATU=1", "MAXBAND=6", "ON/OFF=0", "BRIDGE=2",
                 "DEBUG=1"]) + "\n")
write("fuzz_config", "allow_list",
      "\r\n".join(["COM=1", "SPEED=9600", "POWER=100", "SWR=1", "ATU=0", "MAXBAND=7", "ON/OFF=0", "BRIDGE=0",
                   "DEBUG=1", "RIGCTLD=0.0.0.0:4532", "RIGCTLD_ALLOW=192.168.1.0/24, fd00::/8 10.1.2.3"]) + "\r\n")
write("fuzz_config", "seven_lines", "\n".join(["COM=3", "SPEED=38400", "POWER=5", "SWR=1", "ATU=0",
                                                "MAXBAND=7", "ON/OFF=1"]))
