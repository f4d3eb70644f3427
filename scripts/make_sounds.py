#!/usr/bin/env python3
"""Writes the program's two operation sounds as 16-bit mono wave files.

finishsound.wav: a short rising three-note chime (an operation finished).
del.wav: a soft falling sweep (erase finished).

Usage: scripts/make_sounds.py [OUTPUT_DIR]   (default: resources/sound)
"""
import math
import os
import struct
import sys
import wave

RATE = 22050


def envelope(i, n, attack=0.01, release=0.25):
    t = i / RATE
    total = n / RATE
    a = min(1.0, t / attack)
    r = min(1.0, (total - t) / release)
    return max(0.0, min(a, r))


def tone(freq, seconds, volume=0.45):
    n = int(RATE * seconds)
    out = []
    for i in range(n):
        t = i / RATE
        s = math.sin(2 * math.pi * freq * t) + 0.3 * math.sin(4 * math.pi * freq * t)
        out.append(volume * envelope(i, n) * s / 1.3)
    return out


def sweep(f0, f1, seconds, volume=0.4):
    n = int(RATE * seconds)
    out = []
    phase = 0.0
    for i in range(n):
        f = f0 + (f1 - f0) * i / n
        phase += 2 * math.pi * f / RATE
        out.append(volume * envelope(i, n, release=0.15) * math.sin(phase))
    return out


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 32767)) for s in samples))


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join("resources", "sound")
    os.makedirs(out_dir, exist_ok=True)
    chime = tone(659.25, 0.14) + tone(783.99, 0.14) + tone(1046.5, 0.35)
    write(os.path.join(out_dir, "finishsound.wav"), chime)
    write(os.path.join(out_dir, "del.wav"), sweep(900, 300, 0.4))


if __name__ == "__main__":
    main()
