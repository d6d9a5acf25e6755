# Independent reader for the interoperability tests: lists a compound file with
# olefile (strict: structural defects raise) and checks the directory's red-black
# trees. Prints JSON: streams {path: [size, sha256]}, storages [path], sectorsize,
# problems [text].
import hashlib
import json
import sys

import olefile

NOSTREAM = 0xFFFFFFFF


def key(name):
    return (len(name), [ord(c.upper()) if len(c.upper()) == 1 else ord(c) for c in name])


def check_tree(entries, top, problems):
    """Checks one storage's child tree; returns its black height."""
    seen = set()

    def walk(sid, low, high, parent_red):
        if sid == NOSTREAM:
            return 1
        if sid in seen or sid >= len(entries):
            problems.append("bad link %d" % sid)
            return 1
        seen.add(sid)
        e = entries[sid]
        k = key(e.name)
        if (low is not None and not low < k) or (high is not None and not k < high):
            problems.append("order broken at %r" % e.name)
        red = e.color == 0
        if red and parent_red:
            problems.append("red child of red at %r" % e.name)
        hl = walk(e.sid_left, low, k, red)
        hr = walk(e.sid_right, k, high, red)
        if hl != hr:
            problems.append("black heights differ at %r" % e.name)
        return hl + (0 if red else 1)

    if top != NOSTREAM and top < len(entries) and entries[top].color == 0:
        problems.append("red tree root %r" % entries[top].name)
    walk(top, None, None, False)


def main():
    ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
    out = {"streams": {}, "storages": [], "sectorsize": ole.sectorsize, "problems": []}
    for path in ole.listdir(streams=True, storages=True):
        p = "/".join(path)
        if ole.get_type(path) == olefile.STGTY_STREAM:
            data = ole.openstream(path).read()
            if len(data) != ole.get_size(path):
                out["problems"].append("size mismatch " + p)
            out["streams"][p] = [len(data), hashlib.sha256(data).hexdigest()]
        else:
            out["storages"].append(p)
    entries = ole.direntries
    for e in entries:
        if e is not None and e.entry_type in (olefile.STGTY_STORAGE, olefile.STGTY_ROOT):
            check_tree(entries, e.sid_child, out["problems"])
    print(json.dumps(out))


main()
