#!/usr/bin/env python3
"""Synthesises the start-up music: a short, slow dirge in D minor.

    make_music.py OUT.wav

Writes a mono 16-bit WAV (about eleven seconds); scripts/run.sh encodes it
to data/deaththeme.mp3 with lame. Standard library only, and the same bytes
on every run.
"""

import array
import math
import sys
import wave

RATE = 22050
BEAT = 0.62  # seconds

# (MIDI note, beats): a falling phrase over a low drone, ending on the tonic.
MELODY = [
    (62, 1), (65, 1), (69, 2), (67, 1), (65, 1), (64, 2),
    (62, 1), (61, 1), (62, 2), (58, 1), (57, 1), (62, 4),
]
# Bass notes under the melody, one per bar of four beats.
BASS = [38, 34, 33, 38]


def freq(note):
    return 440.0 * 2 ** ((note - 69) / 12)


def add_tone(buf, start, seconds, note, level, partials, decay):
    """A bell-organ tone: a few partials, a soft attack and an exponential fall."""
    f = freq(note)
    first = int(start * RATE)
    count = int(seconds * RATE)
    steps = [2 * math.pi * f * ratio / RATE for ratio, _ in partials]
    gains = [gain for _, gain in partials]
    attack = int(0.03 * RATE)
    for i in range(count):
        if first + i >= len(buf):
            break
        env = math.exp(-decay * i / RATE) * (i / attack if i < attack else 1.0)
        s = 0.0
        for step, gain in zip(steps, gains):
            s += gain * math.sin(step * i)
        buf[first + i] += level * env * s


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_music.py OUT.wav")
    beats = sum(b for _, b in MELODY)
    tail = 2.5
    total = beats * BEAT + tail
    buf = [0.0] * int(total * RATE)

    t = 0.0
    for note, length in MELODY:
        add_tone(buf, t, length * BEAT + 1.2, note, 0.30,
                 [(1.0, 1.0), (2.0, 0.35), (3.01, 0.18), (4.2, 0.08)], 1.6)
        t += length * BEAT
    for bar, note in enumerate(BASS):
        add_tone(buf, bar * 4 * BEAT, 4 * BEAT + 1.5, note, 0.28,
                 [(1.0, 1.0), (2.0, 0.5), (3.0, 0.25), (1.003, 0.6)], 0.45)
    # A dull toll on the first beat and at the end.
    for at in (0.0, beats * BEAT - 4 * BEAT):
        add_tone(buf, at, 3.0, 26, 0.35, [(1.0, 1.0), (2.76, 0.4), (5.4, 0.15)], 1.1)

    # A long echo gives the room.
    delay = int(0.37 * RATE)
    for i in range(delay, len(buf)):
        buf[i] += 0.33 * buf[i - delay]

    # Fade out, then scale to the 16-bit range.
    fade = int(tail * RATE)
    for i in range(fade):
        buf[len(buf) - fade + i] *= 1.0 - i / fade
    peak = max(abs(x) for x in buf) or 1.0
    samples = array.array("h", (int(32000 * x / peak) for x in buf))
    if sys.byteorder != "little":
        samples.byteswap()
    with wave.open(sys.argv[1], "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples.tobytes())


if __name__ == "__main__":
    main()
