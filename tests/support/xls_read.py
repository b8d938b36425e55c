#!/usr/bin/python3
# Reads .xls files back with xlrd, an independent reader, for the tests
# (tests/support/XlsCells.h: readBack). For every file named on the command
# line, as JSON: per sheet its name, every cell as [type, value] (number
# cells with their format string as a third entry) and the column widths;
# what xlrd complained about; and the rules xlrd forgives but other readers
# do not: the compound document's allocation table and its extension, the
# stream's size, and how the shared string table meets its record limits
# (strings cut after how many bytes, unused bytes at record ends, broken
# rules). A file xlrd cannot open gives {"error": ..., "log": ...}.
import io, json, struct, sys, xlrd, xlrd.compdoc

def cfb_problems(data):
    bad = []
    ids = lambda off, n: list(struct.unpack_from('<%dI' % n, data, off))
    FREE, END, FATS, DIFS = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFC
    if data[:8] != bytes.fromhex('D0CF11E0A1B11AE1') or struct.unpack_from('<HHHH', data, 0x1A) != (3, 0xFFFE, 9, 6):
        return ['not a version 3 compound document']
    if (len(data) - 512) % 512:
        bad.append('file is not whole sectors')
    sectors = (len(data) - 512) // 512
    nfat, dirsec = struct.unpack_from('<II', data, 0x2C)
    firstdifat, ndifat = struct.unpack_from('<II', data, 0x44)
    fatsecs, difatsecs, d = ids(0x4C, 109), [], firstdifat
    while d != END and len(difatsecs) <= sectors:
        difatsecs.append(d)
        entries = ids(512 + 512 * d, 128)
        fatsecs += entries[:127]
        d = entries[127]
    if len(difatsecs) != ndifat:
        bad.append('%d DIFAT sectors chained, header says %d' % (len(difatsecs), ndifat))
    if any(f != FREE for f in fatsecs[nfat:]) or FREE in fatsecs[:nfat]:
        bad.append('DIFAT does not list exactly %d FAT sectors' % nfat)
    fat = []
    for f in fatsecs[:nfat]:
        fat += ids(512 + 512 * f, 128)
    if len(fat) < sectors or any(e != FREE for e in fat[sectors:]):
        bad.append('FAT does not cover exactly the file')
    if sorted(i for i, e in enumerate(fat) if e == FATS) != sorted(fatsecs[:nfat]):
        bad.append('FAT sectors not marked FATSECT')
    if sorted(i for i, e in enumerate(fat) if e == DIFS) != sorted(difatsecs):
        bad.append('DIFAT sectors not marked DIFSECT')
    def chain(s):
        out = []
        while s != END and len(out) <= sectors:
            out.append(s)
            s = fat[s] if s < len(fat) else END
        return out
    dirs = chain(dirsec)
    entries = b''.join(data[512 + 512 * s:1024 + 512 * s] for s in dirs)
    for k in range(0, len(entries), 128):
        e = entries[k:k + 128]
        n = struct.unpack_from('<H', e, 0x40)[0]
        if e[0x42] == 2 and e[:n - 2].decode('utf-16-le') == 'Workbook':
            start, size = struct.unpack_from('<IQ', e, 0x74)
            if size < 4096:
                bad.append('stream of %d bytes outside the mini stream' % size)
            if len(chain(start)) != (size + 511) // 512:
                bad.append('stream chain does not match its size')
    return bad

def sst_layout(stream):
    recs, pos, inside = [], 0, False
    while pos + 4 <= len(stream):
        rc, ln = struct.unpack_from('<HH', stream, pos)
        if rc == 0x00FC or (inside and rc == 0x003C):
            inside = True
            recs.append(stream[pos + 4:pos + 4 + ln])
        elif inside:
            break
        pos += 4 + ln
    splits, broken = [], []
    gaps = [8224 - len(r) for r in recs[:-1]]
    ri, pos = 0, 8
    count = struct.unpack_from('<I', recs[0], 4)[0] if recs else 0
    for i in range(count):
        rec = recs[ri]
        if pos == len(rec) and ri + 1 < len(recs):
            ri, pos, rec = ri + 1, 0, recs[ri + 1]
        if pos + 3 > len(rec):
            broken.append('string %d: header cut' % i)
            break
        n, flags = struct.unpack_from('<HB', rec, pos)
        wide, start, pos = flags & 1, pos, pos + 3
        if n and pos == len(rec):
            broken.append('string %d: header without its first character' % i)
        got, units, first = 0, [], True
        while got < n:
            take = min(n - got, (len(rec) - pos) >> wide)
            units += struct.unpack_from('<%d%s' % (take, 'H' if wide else 'B'), rec, pos)
            got, pos = got + take, pos + (take << wide)
            if got < n:
                if wide and units and 0xD800 <= units[-1] < 0xDC00:
                    broken.append('string %d: surrogate pair parted' % i)
                if first:
                    splits.append([wide, pos - start])
                    first = False
                ri, rec = ri + 1, recs[ri + 1]
                wide, pos = rec[0] & 1, 1
    return {"splits": splits, "gaps": gaps, "broken": broken}

books = []
for path in sys.argv[1:]:
    log = io.StringIO()
    try:
        book = xlrd.open_workbook(path, formatting_info=True, logfile=log)
        sheets = []
        for sh in book.sheets():
            rows = []
            for r in range(sh.nrows):
                types, values = sh.row_types(r), sh.row_values(r)
                row = []
                for c in range(len(types)):
                    if types[c] == xlrd.XL_CELL_NUMBER:
                        fmt = book.format_map[book.xf_list[sh.cell_xf_index(r, c)].format_key].format_str
                        row.append([types[c], values[c], fmt])
                    else:
                        row.append([types[c], values[c]])
                rows.append(row)
            widths = [sh.colinfo_map[c].width if c in sh.colinfo_map else None for c in range(sh.ncols)]
            sheets.append({"name": sh.name, "rows": rows, "widths": widths})
        data = open(path, 'rb').read()
        mem, base, size = xlrd.compdoc.CompDoc(data, logfile=log).locate_named_stream('Workbook')
        books.append({"sheets": sheets, "log": log.getvalue(), "cfb": cfb_problems(data),
                      "sst": sst_layout(mem[base:base + size])})
    except Exception as e:
        books.append({"error": repr(e), "log": log.getvalue()})
json.dump(books, sys.stdout, ensure_ascii=False)
