#!/usr/bin/env python3
"""Writes resources/catalogue/catalogue.txt, the readable catalogue source,
from the chip tables in resources/catalogue/source/. The build encodes it into
database.dat with tarnwick-catalogue. Field coding: resources/catalogue/README.md.

usage: scripts/make_catalogue.py [OUTPUT]   (default: resources/catalogue/catalogue.txt)
"""
import csv
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "resources", "catalogue", "source")
DEFAULT_OUT = os.path.join(ROOT, "resources", "catalogue", "catalogue.txt")

# Type list order is fixed: detection maps box answers to these positions.
TYPE_FLASH = "25 SPI FLASH"
EEPROM_TYPES = [("24", "24 EEPROM"), ("93", "93 EEPROM"), ("25", "25 EEPROM"), ("95", "95 EEPROM")]

# Maker texts; "WINBOND", "GIGADEVICE" and "MX" are looked for by the QE rules.
MAKER_TEXT = {"Macronix": "MX(MACRONIX)", "generic": "GENERIC"}
MAKER_CLOSE = "|"  # every maker line carries one closing character

KB, MB, GB = 1 << 10, 1 << 20, 1 << 30


def maker_text(name):
    return MAKER_TEXT.get(name, name.upper())


def natural_key(text):
    return [int(part) if part.isdigit() else part for part in re.split(r"(\d+)", text)]


def byte_capacity(size):
    for unit, scale in (("GB", GB), ("MB", MB), ("KB", KB)):
        if size >= scale and size % scale == 0:
            return "%d%s" % (size // scale, unit)
    return "%dB" % size


def word_capacity(size_bytes):
    words = size_bytes // 2
    if words >= KB and words % KB == 0:
        return "%dK*16bit" % (words // KB)
    return "%d*16bit" % words


def flash_sector(erase):
    # Sector codes count 2^(code+10) bytes, so sizes are written in K. A
    # 256-byte page erase becomes "N": chip fill then goes page by page. An
    # unknown erase size is "F": the chip is not filled sector-wise.
    if not erase:
        return "F"
    erase = int(erase)
    if erase >= KB and erase % KB == 0:
        return "%dK" % (erase // KB)
    return "N"


def flash_voltage(vmin, vmax):
    if not vmax:
        return "3.3V"
    vmin, vmax = int(vmin or vmax), int(vmax)
    if vmax <= 2000:
        return "1.8V"
    if vmin <= 1800:
        return "1.8-3.3V"
    return "3.3V"


def eeprom_voltage(vmin, vmax):
    vmin, vmax = int(vmin), int(vmax)
    text = "%g-%g" % (vmin / 1000.0, vmax / 1000.0)
    # A last character "5" marks a 5-volt chip for the box.
    return text if vmax >= 5000 else text + "V"


def chip_line(model, page, sector, capacity, main_addr, second_addr, main_id, second_id,
              voltage, op):
    fields = [model, page, sector, capacity, main_addr, second_addr, main_id, second_id, voltage]
    for f in fields:
        assert ":" not in f, f
    return "@" + "".join(f + ":" for f in fields) + op


# Corrections to rows of the chip tables, which stay copied in unchanged.
# W77Q16JW: its source gives it W77Q32JW's identification EF8A16 with half that
# size; detection would then offer the 2 MiB record first for a 4 MiB W77Q32JW.
# Its own family (W77Q32JW 8A16, W77Q64JW 8A17, W77Q128JW 8A18) puts a 2 MiB
# part at capacity byte 15.
CORRECTIONS = {("Winbond", "W77Q16JW"): {"id24_hex": "EF8A15"}}


def size_from_id(id24):
    """The size the capacity byte (the ID's last byte) gives under the JEDEC
    habit, or None when the byte follows no known scheme: 0x10-0x1F is 2^n
    bytes, 0x20-0x22 continue at 2^26 (Micron, ST), 0x30-0x3F are Macronix's
    2^(n-0x20). Several makers (Atmel, SST, PMC, Spansion...) code it
    otherwise; the catalogue test lists those records."""
    code = int(id24, 16) & 0xFF
    if 0x10 <= code <= 0x1F:
        return 1 << code
    if 0x20 <= code <= 0x22:
        return 1 << (code - 0x20 + 26)
    if 0x30 <= code <= 0x3F:
        return 1 << (code - 0x20)
    return None


def is_vendor_fork(row):
    notes = row["notes"]
    return "vendor-fork" in notes or "patch set" in notes


def linux_rows(known):
    """The kernel-table rows that go in, and a count of the ones left out by
    reason. A row that differs from a model we have only by a revision
    letter is that chip again; a row from a vendor's fork of the kernel goes
    in only when its size agrees with its ID's capacity byte."""
    with open(os.path.join(SOURCE, "spi_nor_linux.csv"), newline="") as f:
        rows = list(csv.DictReader(f))
    taken, left = [], {"revision letter": 0, "vendor fork, size disagrees": 0, "already there": 0}
    for r in rows:
        if r["differs_only_by_trailing_letters_from"]:
            left["revision letter"] += 1
        elif is_vendor_fork(r) and size_from_id(r["id24_hex"]) != int(r["size_bytes"]):
            left["vendor fork, size disagrees"] += 1
        elif (r["maker"].upper(), r["model"].upper()) in known:
            left["already there"] += 1
        else:
            taken.append(r)
    return taken, left, len(rows)


def family(row):
    """The part family a model belongs to: its maker and the letters, digits
    and letters before the capacity digits (GD25Q, XT25F, ZB25VQ, SST26WF)."""
    m = re.match(r"[A-Z]+\d*[A-Z]+", row["model"].upper())
    return (row["maker"], m.group(0) if m else row["model"].upper())


def family_value(row, column, rows):
    """The value `column` has in every other row of `row`'s family, or None
    when the family has no such row or its rows disagree."""
    values = {r[column] for r in rows if r is not row and r[column] and family(r) == family(row)}
    return values.pop() if len(values) == 1 else None


def revision_twin(row, rows):
    """A model we have under the same ID whose name this one only extends or
    shortens by trailing letters (XT25Q64 and XT25Q64D are one chip)."""
    name, ident = row["model"].upper(), row["id24_hex"].upper()
    for r in rows:
        other = r["model"].upper()
        if r["id24_hex"].upper() != ident or other == name:
            continue
        longer, shorter = (name, other) if len(name) > len(other) else (other, name)
        if longer.startswith(shorter) and longer[len(shorter):].isalpha():
            return True
    return False


def more_rows(rows):
    """The firmware-table rows that go in, by the kernel rows' rules, and a
    count of the ones left out by reason. A size that disagrees with the ID's
    capacity byte is kept only where the row's notes say the maker's
    numbering does not allow the check; a blank page or erase size takes the
    family's value where the family agrees on one."""
    with open(os.path.join(SOURCE, "spi_nor_more.csv"), newline="") as f:
        more = list(csv.DictReader(f))
    known = {(r["maker"].upper(), r["model"].upper()) for r in rows}
    taken = []
    left = {"already there": 0, "byte or AAI programming only": 0, "revision letter": 0,
            "size disagrees": 0, "no page or erase size the family agrees on": 0}
    for r in more:
        size = size_from_id(r["id24_hex"])
        unchecked = "capacity byte" in r["notes"] and size != int(r["size_bytes"])
        if (r["maker"].upper(), r["model"].upper()) in known:
            left["already there"] += 1
        elif "no page program" in r["notes"]:
            # Byte or AAI programming only: the box's page program would fail.
            left["byte or AAI programming only"] += 1
        elif revision_twin(r, rows):
            left["revision letter"] += 1
        elif size is not None and size != int(r["size_bytes"]) and not unchecked:
            left["size disagrees"] += 1
        else:
            taken.append(r)
    complete = []
    for r in taken:
        filled = dict(r)
        for column in ("page_size", "smallest_erase_block_bytes"):
            if not filled[column]:
                filled[column] = family_value(r, column, rows + taken) or ""
        if filled["page_size"] and filled["smallest_erase_block_bytes"]:
            complete.append(filled)
        else:
            left["no page or erase size the family agrees on"] += 1
    return complete, left, len(more)


def flash_lines():
    rows = []
    for name in ("spi_nor.csv", "spi_nor_added.csv"):
        with open(os.path.join(SOURCE, name), newline="") as f:
            rows.extend(csv.DictReader(f))
    for r in rows:
        r.update(CORRECTIONS.get((r["maker"], r["model"]), {}))
    known = {(r["maker"].upper(), r["model"].upper()) for r in rows}
    linux, left, nlinux = linux_rows(known)
    rows.extend(linux)
    print("spi_nor_linux.csv: %d of %d rows taken; left out: %s" %
          (len(linux), nlinux, ", ".join("%s %d" % kv for kv in left.items())))
    more, left, nmore = more_rows(rows)
    rows.extend(more)
    print("spi_nor_more.csv: %d of %d rows taken; left out: %s" %
          (len(more), nmore, ", ".join("%s %d" % kv for kv in left.items())))
    by_maker = {}
    for r in rows:
        by_maker.setdefault(maker_text(r["maker"]), []).append(r)
    lines = ["$" + TYPE_FLASH]
    for maker in sorted(by_maker):
        lines.append("#" + maker + MAKER_CLOSE)
        for r in sorted(by_maker[maker], key=lambda r: natural_key(r["model"])):
            lines.append(chip_line(
                r["model"], r["page_size"], flash_sector(r["smallest_erase_block_bytes"]),
                byte_capacity(int(r["size_bytes"])), "N", "000", r["id24_hex"].upper().zfill(6),
                "000000", flash_voltage(r["voltage_min_mv"], r["voltage_max_mv"]), "000"))
    return lines, len(rows)


def address_bits(notes):
    m = re.search(r"(\d+) address bits", notes)
    if not m:
        raise SystemExit("93-series row without its address bit count: " + notes)
    return int(m.group(1))


def eeprom_fields(r):
    family, size, abytes = r["family"], int(r["size_bytes"]), int(r["address_bytes"])
    x16 = r["organisation"] == "x16"
    capacity = word_capacity(size) if x16 else byte_capacity(size)
    main_addr, second_addr = "N", "%03d" % abytes
    if family == "24":
        main_addr, op = "A0", "1%02X" % abytes
    elif family == "93":
        # Read back in decimal by the parameter build: the address width.
        second_addr = "%03d" % address_bits(r["notes"])
        op = "3%d%d" % (abytes - 1, 1 if x16 else 0)
    elif family == "25":
        op = "20%d" % (1 if abytes >= 3 else 0)
    else:
        op = "400"
    return r["page_size"], "N", capacity, main_addr, second_addr, op


def eeprom_lines():
    with open(os.path.join(SOURCE, "eeprom.csv"), newline="") as f:
        rows = list(csv.DictReader(f))
    lines = []
    for family, type_text in EEPROM_TYPES:
        lines.append("$" + type_text)
        family_rows = [r for r in rows if r["family"] == family]
        names = {}
        for r in family_rows:
            key = (r["maker"], r["model"])
            names[key] = names.get(key, 0) + 1
        makers = sorted({maker_text(r["maker"]) for r in family_rows})
        for maker in makers:
            lines.append("#" + maker + MAKER_CLOSE)
            mine = [r for r in family_rows if maker_text(r["maker"]) == maker]
            for r in sorted(mine, key=lambda r: (int(r["size_bytes"]), natural_key(r["model"]),
                                                  r["organisation"] != "x8")):
                model = r["model"]
                # Two organisations of one part need two names, or the second
                # could never be chosen from the model list.
                if names[(r["maker"], model)] > 1:
                    model += "(%s)" % r["organisation"]
                page, sector, capacity, main_addr, second_addr, op = eeprom_fields(r)
                lines.append(chip_line(model, page, sector, capacity, main_addr, second_addr,
                                       "000000", "000000",
                                       eeprom_voltage(r["voltage_min_mv"], r["voltage_max_mv"]),
                                       op))
    return lines, len(rows)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUT
    flash, nflash = flash_lines()
    eeprom, neeprom = eeprom_lines()
    header = [
        "// Tarnwick chip catalogue source. Encoded into database.dat by the build",
        "// (tarnwick-catalogue encode). Written by scripts/make_catalogue.py from",
        "// resources/catalogue/source/*.csv. The fields are explained in README.md.",
        "// Lines that do not start with a dollar sign, a hash or an at sign are comments.",
    ]
    text = "\r\n".join(header + flash + eeprom) + "\r\n"
    with open(out, "w", newline="") as f:
        f.write(text)
    print("%s: %d flash and %d EEPROM records" % (out, nflash, neeprom))


if __name__ == "__main__":
    main()
