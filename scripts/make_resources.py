#!/usr/bin/env python3
"""Writes the demo reference files the item card reads under resources/.

The names are the project's own inventions; only the file formats matter to
the program. Output is fixed (no randomness), so running it again gives the
same files. Usage: scripts/make_resources.py [output folder]
"""
import os
import sys

EOL = "\r\n"


def write(folder, name, lines):
    with open(os.path.join(folder, name), "w", encoding="utf-8", newline="") as f:
        f.write("".join(line + EOL for line in lines))


# Body types: characters 1-2 the number, 3-4 unused, the name from 5 on.
BODY_TYPES = [
    "Formless", "Humanoid", "Shapeshifter", "Restless Dead", "Stoneborn", "Clockwork",
    "Farwalker", "Arcane", "Bound Dead", "Titan", "Gloomkin", "Hollow", "Wyrmkin",
    "Veilborn", "Ember Spirit", "Frost Spirit", "Storm Spirit", "Tide Spirit",
    "Thornkin", "Beast", "Vermin", "Swarm", "Marsh Thing", "Cinder Husk", "Carrion",
    "Dreamer", "Mirror Shade", "Oathbound", "Feral Dead", "Ward", "Idol", "Lantern Wisp",
    "Deepling", "Skyborn", "Rootwalker", "Ash Wraith", "No Target",
]
assert len(BODY_TYPES) == 37

# Field k names class bit k-1.
CLASSES = [
    "Warden", "Cantor", "Reaver", "Hexblade", "Tracker", "Pilgrim", "Seer", "Skald",
    "Cutpurse", "Gravecaller", "Stormcaller", "Tidewright", "Runesmith", "Bonesetter",
    "Wildheart", "Ironmonk",
]
# Field k names race bit k-1.
RACES = [
    "Highfolk", "Marsh Elf", "Dún'ari", "Stonekin", "Érelith", "Tusker", "Hearthling",
    "Gnarl", "Sandborn", "Frostling", "Vaelish", "Kith'ra", "Mireling", "Ogrum",
    "Lumen", "Drakari",
]
assert len(CLASSES) == 16 and len(RACES) == 16

# Record 1 is a spare the card never shows; record k names slot bit k-2.
SLOTS = [
    "Spare", "Charm", "Left Ear", "Head", "Face", "Right Ear", "Neck", "Shoulders",
    "Arms", "Back", "Left Wrist", "Right Wrist", "Range", "Hands", "Primary",
    "Secondary", "Left Finger", "Right Finger", "Chest", "Legs", "Feet", "Waist", "Ammo",
]
assert len(SLOTS) == 23

FIRST = ["Ash", "Bri", "Cor", "Dra", "Ely", "Fen", "Gor", "Hal", "Ith", "Jor", "Kel",
         "Lum", "Mor", "Nym", "Orr", "Pel", "Quo", "Ros", "Syl", "Tor", "Ul", "Vey",
         "Wyn", "Xan", "Yr", "Zel"]
MIDDLE = ["a", "e", "i", "o", "u", "ae", "é", "ö", "'", "y"]
LAST = ["dar", "mir", "thos", "nel", "gath", "wen", "rik", "sul", "vane", "lok",
        "dûn", "phar", "kesh", "lorn"]
KIND = ["", " Elder", " Whelp", " Shade", " Brute", " Sage"]


def race_name(n):
    stem = FIRST[n % len(FIRST)] + MIDDLE[(n // 3) % len(MIDDLE)] + LAST[(n // 7) % len(LAST)]
    return stem + KIND[(n // 11) % len(KIND)]


def race_records():
    out = []
    for n in range(1, 361):
        name = race_name(n)
        if n % 97 == 0:
            name = '"' + name + ', Ancient"'  # a name with a comma is quoted
        out.append(f"{n},{name}")
    return out


ADJ = ["Ember", "Frost", "Gale", "Shadow", "Radiant", "Bitter", "Silent", "Ancient",
       "Hollow", "Verdant", "Sunder", "Drowned", "Gilded", "Ashen", "Thorned", "Pale",
       "Storm", "Iron", "Dusk", "Ravager's", "Warden's", "Seer's", "Élan", "Mire"]
NOUN = ["Touch", "Ward", "Veil", "Lash", "Chorus", "Bloom", "Spike", "Mantle",
        "Echo", "Brand", "Pulse", "Grasp", "Gaze", "Shroud", "Torrent", "Mend",
        "Bulwark", "Hymn", "Snare", "Lance"]
RANK = ["", " I", " II", " III", " IV", " V", " of the Deep", " of Ruin", " of Dawn"]


def spell_lines():
    out = []
    for i in range(1, 4001):
        name = ADJ[i % len(ADJ)] + " " + NOUN[(i // len(ADJ)) % len(NOUN)] + RANK[(i // 480) % len(RANK)]
        mana = 5 + (i * 7) % 400
        cast = 500 + (i * 13) % 4500
        out.append(f"{i}^{name}^{mana}^{cast}^{(i * 31) % 255}^0^{i % 16}")
    return out


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    os.makedirs(folder, exist_ok=True)
    write(folder, "body_types.txt", [f"{n:02d}- {name}" for n, name in enumerate(BODY_TYPES)])
    write(folder, "classes.txt", CLASSES)
    write(folder, "races.txt", RACES)
    write(folder, "slots_ref.txt", [f"{name},{0 if k == 0 else 1 << (k - 1)}" for k, name in enumerate(SLOTS)])
    write(folder, "all_races.txt", race_records())
    write(folder, "spells.txt", spell_lines())


if __name__ == "__main__":
    main()
