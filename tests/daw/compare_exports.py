#!/usr/bin/env python3
"""Checks for the Ardour save-and-reopen test.

midi PATH: writes the phrase of velora_test_notes.lua as a MIDI file.
compare LIVE REOPENED HOST: LIVE (exported before saving) and REOPENED
(exported after opening the saved session) must be equal sample for sample
from their first sounding sample on; HOST (velora-host) must match their
level envelope.
exact FIRST OTHER...: every file must equal FIRST sample for sample from
its first sounding sample on.
"""
import math
import struct
import sys

# (ticks at 480 per beat and 120 BPM, message): 96 ticks are 4410 samples.
PHRASE = [(0, b'\x90\x3c\x64'), (96, b'\x90\x43\x5a'), (480, b'\x80\x3c\x00'), (576, b'\x80\x43\x00')]
WINDOW = 441  # 10 ms
ENVELOPE_TOLERANCE = 0.05  # of the peak window


def write_midi(path):
    def length(n):
        out = [n & 0x7F]
        n >>= 7
        while n:
            out.insert(0, 0x80 | (n & 0x7F))
            n >>= 7
        return bytes(out)
    track, now = b'', 0
    for tick, message in PHRASE:
        track += length(tick - now) + message
        now = tick
    track += b'\x00\xff\x2f\x00'
    with open(path, 'wb') as f:
        f.write(b'MThd' + struct.pack('>IHHH', 6, 0, 1, 480) + b'MTrk' + struct.pack('>I', len(track)) + track)


def stereo_floats(path):
    data = open(path, 'rb').read()
    if data[:4] != b'RIFF' or data[8:12] != b'WAVE':
        sys.exit(f'{path}: not a WAV file')
    pos, fmt, body = 12, None, None
    while pos + 8 <= len(data):
        kind, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
        chunk = data[pos + 8:pos + 8 + size]
        if kind == b'fmt ':
            fmt = struct.unpack('<HHIIHH', chunk[:16])
            if fmt[0] == 0xFFFE:  # extensible: the format tag leads the sub-format
                fmt = (struct.unpack('<H', chunk[24:26])[0],) + fmt[1:]
        elif kind == b'data':
            body = chunk
        pos += 8 + size + (size & 1)
    if fmt is None or body is None or (fmt[0], fmt[1], fmt[2], fmt[5]) != (3, 2, 44100, 32):
        sys.exit(f'{path}: not 32-bit float stereo at 44100 Hz: {fmt}')
    return struct.unpack(f'<{len(body) // 4}f', body)


def onset(samples):
    """First frame with sound; Ardour's note timing in an export depends on its latency set-up."""
    for i, x in enumerate(samples):
        if x != 0.0:
            return i // 2
    sys.exit('silent export')


def envelope(samples, start, windows):
    out = []
    for w in range(windows):
        part = samples[2 * (start + w * WINDOW):2 * (start + (w + 1) * WINDOW)]
        out.append(math.sqrt(sum(x * x for x in part) / len(part)))
    return out


def first_difference(live, reopened, label):
    a, b = onset(live), onset(reopened)
    frames = min(len(live) // 2 - a, len(reopened) // 2 - b)
    differing = next((i for i in range(2 * frames) if live[2 * a + i] != reopened[2 * b + i]), None)
    print(f'{label}: sounding from frame {a} and {b}; {frames} frames compared')
    if differing is not None:
        print(f'FAIL: {label} differ from frame {differing // 2} after the onset')
    return differing, b, frames


def exact(first_path, *others):
    first = stereo_floats(first_path)
    failed = [p for p in others if first_difference(first, stereo_floats(p), f'{first_path} and {p}')[0] is not None]
    return 1 if failed else 0


def compare(live_path, reopened_path, host_path):
    live, reopened, host = (stereo_floats(p) for p in (live_path, reopened_path, host_path))
    differing, b, frames = first_difference(live, reopened, 'live and reopened exports')
    if differing is not None:
        return 1
    h = onset(host)
    windows = min(frames, len(host) // 2 - h) // WINDOW
    ours, theirs = envelope(host, h, windows), envelope(reopened, b, windows)
    peak = max(theirs)
    worst = max(abs(x - y) for x, y in zip(ours, theirs)) / peak
    print(f'velora-host against the reopened export: largest 10 ms level difference {worst:.4f} of the peak')
    if worst > ENVELOPE_TOLERANCE:
        print('FAIL: velora-host renders another sound')
        return 1
    return 0


if __name__ == '__main__':
    if len(sys.argv) == 3 and sys.argv[1] == 'midi':
        write_midi(sys.argv[2])
    elif len(sys.argv) == 5 and sys.argv[1] == 'compare':
        sys.exit(compare(*sys.argv[2:]))
    elif len(sys.argv) >= 4 and sys.argv[1] == 'exact':
        sys.exit(exact(*sys.argv[2:]))
    else:
        sys.exit(__doc__)
