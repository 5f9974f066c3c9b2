#!/usr/bin/env python3
"""Writes the small seed files of the fuzz targets (fuzz/corpus/<format>/).

Each is a valid file of its format, a few KiB. The EDF and DICOM files hold one
second of the twelve leads: the reader refuses them as too short only after
every other check. A whole record's conversion to 500 Hz costs the same tens of
milliseconds whatever the bytes; the WFDB target, which bounds that cost, has
a whole record at 50 Hz.
Usage: fuzz/make-seeds.py [OUTDIR]   (default: fuzz/corpus)
"""
import math
import os
import struct
import sys

LEADS = ["I", "II", "III", "aVR", "aVL", "aVF", "V1", "V2", "V3", "V4", "V5", "V6"]


def wave(lead, n, fs, amplitude):
    return [int(amplitude * math.sin(2 * math.pi * 1.2 * i / fs + lead)) for i in range(n)]


def field(text, width):
    b = text.encode("latin-1")
    assert len(b) <= width, (text, width)
    return b + b" " * (width - len(b))


def edf(plus=False, bdf=False, fs=50, seconds=1, labels=None, annotations=(), patient=None, recording=None):
    labels = labels or ["ECG " + l for l in LEADS]
    signals = [(l, "uV", -3276.8, 3276.7, fs) for l in labels]
    width = 3 if bdf else 2
    dmin, dmax = (-8388608, 8388607) if bdf else (-32768, 32767)
    ann_samples = 0
    if plus:
        first = b"+0\x14\x14\x00" + b"".join(b"+0\x14" + a.encode("utf-8") + b"\x14\x00" for a in annotations)
        ann_samples = (max(len(first), 16) + width - 1) // width + 2
        signals.append(("BDF Annotations" if bdf else "EDF Annotations", "", -1, 1, ann_samples))
    ns = len(signals)
    if plus:
        patient = patient or "0234567 F 02-MAR-1951 Haagse_Harry Age:47y Height:172 Weight:65 BP:120/80"
        recording = recording or "Startdate 08-DEC-2026 X X X"
    head = (b"\xffBIOSEMI" if bdf else field("0", 8)) + field(patient or "X X X X", 80)
    head += field(recording or "Startdate X X X X", 80) + field("08.12.26", 8) + field("10.30.00", 8)
    head += field(str(256 * (ns + 1)), 8)
    reserved = ("BDF+C" if bdf else "EDF+C") if plus else ("24BIT" if bdf else "")
    head += field(reserved, 44) + field(str(seconds), 8) + field("1", 8) + field(str(ns), 4)
    for part, width_ in ((0, 16), (None, 80), (1, 8), (2, 8), (3, 8)):
        for s in signals:
            head += field("" if part is None else ("%g" % s[part] if part >= 2 else s[part]), width_)
    for s in signals:
        head += field(str(dmin if s[1] else (-32768 if not bdf else -8388608)), 8)
    for s in signals:
        head += field(str(dmax if s[1] else (32767 if not bdf else 8388607)), 8)
    head += b"".join(field("HP:0.05Hz LP:150Hz" if s[1] else "", 80) for s in signals)
    head += b"".join(field(str(s[4]), 8) for s in signals)
    head += b" " * (32 * ns)
    assert len(head) == 256 * (ns + 1)
    data = b""
    for r in range(seconds):
        for k, s in enumerate(signals):
            if s[1]:
                for v in wave(k, fs, fs, 1000)[:fs]:
                    data += struct.pack("<i", v)[:width]
            else:
                tal = ("+%d\x14\x14\x00" % r).encode()
                if r == 0:
                    for a in annotations:
                        tal += b"+0\x14" + a.encode("utf-8") + b"\x14\x00"
                size = s[4] * width
                assert len(tal) <= size, tal
                data += tal + b"\x00" * (size - len(tal))
    return head + data


def wfdb(fmt=16, fs=500, frames=500, files_per_lead=True, comments=(), name="rec", offset=0):
    lines = ["%s 12 %g %d 10:30:00 08/12/2026" % (name, fs, frames)]
    for k, lead in enumerate(LEADS):
        ext = ".mat" if offset else ".dat"
        fname = "%s_%d%s" % (name, k, ext) if files_per_lead else name + ext
        fmt_field = "%d+%d" % (fmt, offset) if offset else str(fmt)
        lines.append("%s %s 200(0)/mV 12 0 0 0 0 %s" % (fname, fmt_field, lead))
    lines += ["# " + c for c in comments]
    header = ("\n".join(lines) + "\n").encode()
    # Every signal file holds the same bytes: one lead per file when files_per_lead.
    n = frames if files_per_lead else frames * 12
    values = [int(300 * math.sin(i / 7.0)) for i in range(n)]
    if fmt == 16:
        body = b"".join(struct.pack("<h", v) for v in values)
    else:
        body = b""
        for i in range(0, len(values) - 1, 2):
            a, b = values[i] & 0xFFF, values[i + 1] & 0xFFF
            body += bytes([a & 0xFF, ((a >> 8) & 0x0F) | ((b >> 4) & 0xF0), b & 0xFF])
    return header + b"\x00" + b"\xab" * offset + body


# DICOM, explicit VR little endian.
def element(group, elem, vr, value):
    if isinstance(value, str):
        value = value.encode("utf-8")
        if len(value) % 2:
            value += b"\x00" if vr == "UI" else b" "
    tag = struct.pack("<HH", group, elem)
    if vr in ("OB", "OW", "SQ", "UN", "UT"):
        return tag + vr.encode() + b"\x00\x00" + struct.pack("<I", len(value)) + value
    return tag + vr.encode() + struct.pack("<H", len(value)) + value


def sequence(group, elem, items):
    body = b"".join(b"\xfe\xff\x00\xe0" + struct.pack("<I", len(i)) + i for i in items)
    return element(group, elem, "SQ", body)


def code(value, scheme, meaning):
    return element(0x0008, 0x0100, "SH", value) + element(0x0008, 0x0102, "SH", scheme) + element(
        0x0008, 0x0104, "LO", meaning)


TWELVE_LEAD = "1.2.840.10008.5.1.4.1.1.9.1.1"
GENERAL_ECG = "1.2.840.10008.5.1.4.1.1.9.1.2"
SCP_CODES = [1, 2, 61, 62, 63, 64, 3, 4, 5, 6, 7, 8]


def dicom(sop=TWELVE_LEAD, fs=50, samples=50, bits=16, mdc=False, groups=("RHYTHM",), measurements=True):
    ts = "1.2.840.10008.1.2.1"
    meta_body = element(0x0002, 0x0001, "OB", b"\x00\x01") + element(0x0002, 0x0002, "UI", sop)
    meta_body += element(0x0002, 0x0003, "UI", "1.2.3.4.5") + element(0x0002, 0x0010, "UI", ts)
    meta = element(0x0002, 0x0000, "UL", struct.pack("<I", len(meta_body))) + meta_body
    ds = element(0x0008, 0x0005, "CS", "ISO_IR 192") + element(0x0008, 0x0016, "UI", sop)
    ds += element(0x0008, 0x0018, "UI", "1.2.3.4.5") + element(0x0008, 0x0020, "DA", "20261208")
    ds += element(0x0008, 0x002A, "DT", "20261208103000") + element(0x0008, 0x0030, "TM", "103000")
    ds += element(0x0010, 0x0010, "PN", "Haagse^Harry=\u5c71\u7530^\u592a\u90ce") + element(0x0010, 0x0020, "LO", "0234567")
    ds += element(0x0010, 0x0030, "DA", "19510302") + element(0x0010, 0x0040, "CS", "F")
    ds += element(0x0010, 0x1010, "AS", "075Y") + element(0x0010, 0x1020, "DS", "1.72")
    ds += element(0x0010, 0x1030, "DS", "65")
    items = []
    for label in groups:
        channels = []
        for k, lead in enumerate(LEADS):
            src = code("2:%d" % SCP_CODES[k] if mdc else "5.6.3-9-%d" % SCP_CODES[k], "MDC" if mdc else "SCPECG",
                       "Lead " + lead)
            units = code("uV", "UCUM", "microvolt")
            ch = sequence(0x003A, 0x0208, [src]) + element(0x003A, 0x0210, "DS", "4.88")
            ch += sequence(0x003A, 0x0211, [units]) + element(0x003A, 0x0212, "DS", "1")
            ch += element(0x003A, 0x0213, "DS", "0") + element(0x003A, 0x021A, "US", struct.pack("<H", bits))
            channels.append(ch)
        item = element(0x003A, 0x0005, "US", struct.pack("<H", 12)) + element(0x003A, 0x0010, "UL",
                                                                                 struct.pack("<I", samples))
        item += element(0x003A, 0x001A, "DS", "%g" % fs) + element(0x003A, 0x0020, "SH", label)
        item += sequence(0x003A, 0x0200, channels)
        item += element(0x5400, 0x1004, "US", struct.pack("<H", bits))
        item += element(0x5400, 0x1006, "CS", "SS" if bits == 16 else "SB")
        values = [wave(k, samples, fs, 100)[i] for i in range(samples) for k in range(12)]
        raw = b"".join(struct.pack("<h", v) for v in values) if bits == 16 else bytes(v & 0xFF for v in values)
        item += element(0x5400, 0x1010, "OW" if bits == 16 else "OB", raw + (b"\x00" if len(raw) % 2 else b""))
        items.append(item)
    ds += sequence(0x0040, 0xB020, [
        sequence(0x0040, 0xA043, [code("2:16770", "MDC", "ECG Heart Rate")]) + element(0x0040, 0xA30A, "DS", "72"),
        sequence(0x0040, 0xA043, [code("RV5", "99CORVALE", "R amplitude in V5")]) + element(0x0040, 0xA30A, "DS", "1.2"),
    ] if measurements else [])
    ds += sequence(0x5400, 0x0100, items)
    return b"\x00" * 128 + b"DICM" + meta + ds


def annotations():
    """Rhythm change with its text, beats and waves with onsets and offsets, a skip, a channel."""
    def word(code, value):
        return struct.pack("<H", (code << 10) | (value & 0x3FF))

    aux = b"(N\x00"
    out = word(28, 0) + word(63, len(aux)) + aux + (b"\x00" if len(aux) % 2 else b"")
    for beat in range(3):
        out += word(39, 40) + word(24, 20) + word(40, 20) + word(39, 40) + word(1, 30) + word(40, 30)
        out += word(27, 100) + word(40, 60)
    out += word(59, 0) + struct.pack("<HH", 0, 2000) + word(1, 0) + word(62, 3) + word(5, 200)
    return out + word(0, 0)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
    notes = ["Name: \u5c71\u7530 \u592a\u90ce", "HR: 72 bpm", "QRS axis: 45 deg", "RV5: 1.2 mV"]
    seeds = {
        "edf/edfplus-1s.edf": edf(plus=True, annotations=notes),
        "edf/edf-1s-100hz.edf": edf(fs=100, labels=LEADS),
        "edf/bdfplus-1s.bdf": edf(plus=True, bdf=True, annotations=notes[1:2]),
        "wfdb/fmt16-1s": wfdb(fmt=16, fs=500, frames=500, comments=["Age: 47", "Sex: F", "HR: 72"]),
        "wfdb/fmt212-1s": wfdb(fmt=212, fs=250, frames=250, files_per_lead=False),
        "wfdb/mat-1s": wfdb(fmt=16, fs=100, frames=100, files_per_lead=False, offset=24),
        "wfdb/fmt16-10s-50hz": wfdb(fmt=16, fs=50, frames=500),
        "annotation/rhythm-waves-skip": annotations(),
        "dicom/12lead-1s.dcm": dicom(),
        "dicom/general-mdc-8bit.dcm": dicom(sop=GENERAL_ECG, bits=8, mdc=True, groups=("MEDIAN", "RHYTHM")),
    }
    for name, data in seeds.items():
        path = os.path.join(out, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        print("%6d %s" % (len(data), path))


if __name__ == "__main__":
    main()
