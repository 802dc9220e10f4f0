#!/usr/bin/env python3
"""Writes the small MIDI files of the render scenarios (format 0, PPQ 96, 120 BPM).

The files are committed; run this again only to change a scenario, and then
update the stored hashes deliberately."""
import struct
from pathlib import Path

PPQ = 96


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def tempo(bpm):
    return b"\xff\x51\x03" + struct.pack(">I", round(60_000_000 / bpm))[1:]


def write(name, events, tempo_bpm=120):
    """events: (tick, bytes) pairs; written sorted by tick, stable."""
    track = bytearray()
    track += var_len(0) + tempo(tempo_bpm)
    now = 0
    for tick, data in sorted(events, key=lambda e: e[0]):
        track += var_len(tick - now) + bytes(data)
        now = tick
    track += var_len(PPQ) + b"\xff\x2f\x00"
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, PPQ)
    Path(__file__).with_name(name).write_bytes(header + b"MTrk" + struct.pack(">I", len(track)) + track)


def note(events, tick, key, length, velocity=100, channel=0):
    events.append((tick, [0x90 | channel, key, velocity]))
    events.append((tick + length, [0x80 | channel, key, 0]))


def keys():
    events = []
    for i, key in enumerate(range(21, 109, 11)):
        note(events, i * 48, key, 60, 40 + 10 * i)
    return events


def sustain():
    events = [(0, [0xB0, 64, 127])]
    for i, key in enumerate([48, 52, 55, 59]):
        note(events, i * 24, key, 12)
    events += [(192, [0xB0, 64, 64]), (200, [0xB0, 64, 0])]  # exactly 64 holds; 0 lifts
    note(events, 240, 60, 96, velocity=0x7F)
    events.append((260, [0x90, 60, 0]))  # velocity 0 note-off
    return events


def stealing():
    events = []
    for i in range(12):
        note(events, i * 8, 40 + 3 * i, 200, 90)
    note(events, 110, 40, 50, 60)  # retrigger of a key still listed
    events.append((300, [0xB3, 123, 0]))  # all notes off on channel 4
    note(events, 310, 62, 60)
    return events


def expression():
    events = []
    note(events, 0, 57, 380, 100)
    note(events, 0, 64, 380, 80)
    for i in range(64):
        events.append((10 + i * 4, [0xE0, i & 0x7F, (64 + i) & 0x7F]))  # bend up, low byte varies
        events.append((12 + i * 4, [0xD0, (i * 2) & 0x7F]))             # channel pressure
    events.append((120, [0xA0, 57, 90]))                                 # poly pressure
    events.append((300, [0xE0, 0, 64]))
    events.append((150, [0xB0, 126, 0]))                                 # mono mode on: silence
    note(events, 160, 69, 150, 110)
    return events


def learn():
    events = [(0, [0xB0, 20, 0])]  # binds the parameter touched last (set on the command line)
    note(events, 8, 60, 300, 100)
    for i in range(32):
        events.append((16 + i * 8, [0xB0, 20, i * 4]))
    return events


def program_change():
    events = []
    note(events, 0, 60, 100)
    events.append((37, [0xC0, 40]))  # a program change between block boundaries
    note(events, 37, 64, 100)
    events.append((50, [0xC0, 100]))  # outside the bank: ignored
    note(events, 60, 67, 100)
    return events


def tempo_changes():
    """Notes under a synced cross delay while the tempo moves three times."""
    events = [(0, [0xB0, 1, 0])]
    for i, key in enumerate([48, 60, 55, 67, 64, 72]):
        note(events, i * 40, key, 30, 90)
    for tick, bpm in [(50, 90), (130, 150), (200, 72.5)]:
        events.append((tick, tempo(bpm)))
    return events


if __name__ == "__main__":
    write("keys.mid", keys())
    # A tempo whose synced delay lengths need the full x87 precision.
    write("keys_125bpm.mid", keys(), tempo_bpm=125)
    write("sustain.mid", sustain())
    write("stealing.mid", stealing())
    write("expression.mid", expression())
    write("learn.mid", learn())
    write("program_change.mid", program_change())
    write("tempo_changes.mid", tempo_changes())
