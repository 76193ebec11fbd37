#!/usr/bin/env python3
"""Rewrites an Anki 2.0 package (collection.anki2 alone) in the layouts later versions of Anki
write, by the rules of Anki's rslib/src/import_export/package and proto/anki/*.proto:

  legacy2  collection.anki21 (schema 11) beside a stand-in collection.anki2
  latest   meta (version 3), collection.anki21b (schema 18, zstd) and a zstd protobuf media
           list, beside both stand-ins

With --notes N the notes (and their cards) are repeated until there are N, each copy with a
guid of its own: a package as large as a teacher's biggest.

The stand-ins hold one note, as Anki writes them, so that a reader opening the wrong file is
seen. Runs Python's own sqlite3 and the zstd program; nothing here is linked into Memvane.
"""

import argparse
import json
import os
import shutil
import sqlite3
import subprocess
import tempfile
import zipfile

STAND_IN = "Please update to the latest Anki version, then import the .colpkg/.apkg file again."


def varint(n):
    out = bytearray()
    while True:
        byte = n & 0x7F
        n >>= 7
        if n:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return bytes(out)


def field(number, value):
    if isinstance(value, int):
        return varint(number << 3) + varint(value)
    data = value.encode() if isinstance(value, str) else value
    return varint(number << 3 | 2) + varint(len(data)) + data


def zstd(data):
    return subprocess.run(["zstd", "-q", "-c", "-19"], input=data, check=True,
                          stdout=subprocess.PIPE).stdout


def stand_in(legacy, path):
    shutil.copy(legacy, path)
    db = sqlite3.connect(path)
    mid, card_type = db.execute("SELECT mid, 0 FROM notes LIMIT 1").fetchone()
    db.execute("DELETE FROM cards")
    db.execute("DELETE FROM notes")
    db.execute("INSERT INTO notes VALUES (1, 'standin', ?, 0, -1, '', ?, ?, 0, 0, '')",
               (mid, STAND_IN + "\x1f", STAND_IN))
    db.execute("INSERT INTO cards VALUES (1, 1, 1, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, '')")
    db.commit()
    db.execute("VACUUM")
    db.close()


def repeat_notes(path, notes):
    db = sqlite3.connect(path)
    have = db.execute("SELECT count(*) FROM notes").fetchone()[0]
    rows = db.execute("SELECT * FROM notes").fetchall()
    cards = db.execute("SELECT * FROM cards").fetchall()
    next_note = db.execute("SELECT max(id) FROM notes").fetchone()[0] + 1
    next_card = db.execute("SELECT max(id) FROM cards").fetchone()[0] + 1
    copy = 0
    while have < notes:
        copy += 1
        for row in rows:
            if have >= notes:
                break
            old = row[0]
            db.execute("INSERT INTO notes VALUES (?,?,?,?,?,?,?,?,?,?,?)",
                       (next_note, "%s-%d" % (row[1], copy)) + tuple(row[2:6]) +
                       (row[6].replace("\x1f", " %d\x1f" % copy, 1),) + tuple(row[7:]))
            for card in cards:
                if card[1] == old:
                    db.execute("INSERT INTO cards VALUES (%s)" % ",".join("?" * len(card)),
                               (next_card, next_note) + tuple(card[2:]))
                    next_card += 1
            next_note += 1
            have += 1
    db.commit()
    db.close()


def schema18(path):
    """Moves note types and decks out of col into the tables of schema 18."""
    db = sqlite3.connect(path)
    models, decks = db.execute("SELECT models, decks FROM col").fetchone()
    db.executescript("""
        CREATE TABLE notetypes (id integer NOT NULL PRIMARY KEY, name text NOT NULL,
            mtime_secs integer NOT NULL, usn integer NOT NULL, config blob NOT NULL);
        CREATE TABLE fields (ntid integer NOT NULL, ord integer NOT NULL, name text NOT NULL,
            config blob NOT NULL, PRIMARY KEY (ntid, ord)) without rowid;
        CREATE TABLE templates (ntid integer NOT NULL, ord integer NOT NULL, name text NOT NULL,
            mtime_secs integer NOT NULL, usn integer NOT NULL, config blob NOT NULL,
            PRIMARY KEY (ntid, ord)) without rowid;
        CREATE TABLE decks (id integer PRIMARY KEY NOT NULL, name text NOT NULL,
            mtime_secs integer NOT NULL, usn integer NOT NULL, common blob NOT NULL,
            kind blob NOT NULL);
    """)
    for model in json.loads(models).values():
        config = field(1, model.get("type", 0)) + field(3, model.get("css", ""))
        db.execute("INSERT INTO notetypes VALUES (?,?,0,0,?)",
                   (int(model["id"]), model["name"], config))
        for f in model["flds"]:
            db.execute("INSERT INTO fields VALUES (?,?,?,?)",
                       (int(model["id"]), f["ord"], f["name"], b""))
        for t in model["tmpls"]:
            config = field(1, t["qfmt"]) + field(2, t["afmt"])
            db.execute("INSERT INTO templates VALUES (?,?,?,0,0,?)",
                       (int(model["id"]), t["ord"], t["name"], config))
    for deck in json.loads(decks).values():
        kind = field(1, b"") if not deck.get("dyn") else field(2, b"")
        db.execute("INSERT INTO decks VALUES (?,?,0,0,?,?)",
                   (int(deck["id"]), deck["name"].replace("::", "\x1f"), b"", kind))
    db.execute("UPDATE col SET ver = 18, models = '', decks = ''")
    db.commit()
    db.execute("VACUUM")
    db.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("legacy", help="an .apkg holding collection.anki2 alone")
    parser.add_argument("layout", choices=["legacy1", "legacy2", "latest"])
    parser.add_argument("out")
    parser.add_argument("--notes", type=int, default=0)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work, zipfile.ZipFile(args.legacy) as source:
        names = source.namelist()
        source.extractall(work)
        collection = os.path.join(work, "collection.anki2")
        if args.notes:
            repeat_notes(collection, args.notes)
        media_map = json.loads(source.read("media") or b"{}") if "media" in names else {}
        with zipfile.ZipFile(args.out, "w", zipfile.ZIP_DEFLATED) as out:
            if args.layout == "legacy1":
                out.write(collection, "collection.anki2")
                out.writestr("media", json.dumps(media_map))
                for number in media_map:
                    out.write(os.path.join(work, number), number)
                return
            decoy = os.path.join(work, "stand-in.anki2")
            stand_in(collection, decoy)
            if args.layout == "legacy2":
                out.write(decoy, "collection.anki2")
                out.write(collection, "collection.anki21")
                out.writestr("media", json.dumps(media_map))
                for number in media_map:
                    out.write(os.path.join(work, number), number)
                return
            out.writestr("meta", field(1, 3))
            out.write(decoy, "collection.anki2")
            out.write(decoy, "collection.anki21")
            schema18(collection)
            with open(collection, "rb") as f:
                data = f.read()
                out.writestr("collection.anki21b", zstd(data), zipfile.ZIP_STORED)
            print("collection %d bytes" % len(data))
            entries = b""
            for index, (number, name) in enumerate(sorted(media_map.items(), key=lambda i: int(i[0]))):
                with open(os.path.join(work, number), "rb") as f:
                    data = f.read()
                entries += field(1, field(1, name) + field(2, len(data)))
                out.writestr(str(index), zstd(data), zipfile.ZIP_STORED)
            out.writestr("media", zstd(entries), zipfile.ZIP_STORED)


if __name__ == "__main__":
    main()
