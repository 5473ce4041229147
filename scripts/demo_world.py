#!/usr/bin/env python3
"""Generates the demo world: an SQL load for scripts/schema.sql.

A world big enough to feel real and to show the editor's speed: about 500
zone rows (some short names with several versions), 100,000 NPCs spawning
through spawn groups and spawn points, 26,000 loot tables, 52,000 lootdrops,
150,000 lootdrop entries and 100,000 items. Everything comes from one fixed
seed, so every checkout loads the same world.

    demo_world.py [-o FILE] [--seed N] [--scale S] [--quiet]

The output holds rows only (the tables must exist and be empty): run the
schema first. --scale shrinks or grows every count (0.01 makes a tiny world
for tests). A summary of the counts goes to standard error.

The variables row "LootdropID" and the lootdrop "ZiridezivuR3" are left out on
purpose: the editor makes them itself on its first start.
"""

import argparse
import random
import sys

SEED = 355

# Full-scale counts.
ZONE_ROWS = 500
NPCS = 100_000
NPC_ID_SPAN = 1_000_000
LOOTTABLES = 26_000
LOOTTABLE_ID_SPAN = 30_000
LOOTDROPS = 52_000
LOOTDROP_ID_SPAN = 180_000
LOOTDROP_ENTRIES = 150_000
ITEMS = 100_000
ITEM_FIRST_ID = 1001
ITEM_ID_SPAN = 118_000

ROWS_PER_INSERT = 2000

# Names that must exist at any scale (the tests look for them).
RUSTY_DAGGER = "rusty dagger"
SHOWCASE_NPCS = ["a_hyvrel_pup", "#Sh\u00e9vla_the_Pale", "D\u00fcrvek_Stonehand", "Ket'rel_Nightwhisper", "Tarn`s_warder"]
SHOWCASE_ITEMS = [
    # name, kind, item type
    ("Tarn's Blade", "weapon", 0),
    ("Sh\u00e9vla's Mantle", "armour", 10),
    ("D\u00fcrvek's Warhammer", "weapon", 4),
    ("\u00c6lfwyn's Backpack", "container", 11),
]
SHOWCASE_ZONE_LONG = "Sh\u00e9vla's Hollow"

# ---------------------------------------------------------------- word lists

PERSONS = [
    "Tarn", "Sh\u00e9vla", "D\u00fcrvek", "Ket'rel", "\u00c6lfwyn", "J\u00f6rund", "Ma\u00eblis", "\u00deorvald",
    "Ysolde", "Vaelith", "Gr\u00f6vsh", "K\u00e2lzar", "A\u00f1eth", "\u00d3rla", "\u00c7edric", "Brannoc",
    "Ils\u00e9", "Z\u00e9'vah", "Mordak", "Fenwick", "Oskar", "Ra'shan", "Lis\u00e9a", "Hrothmir", "Nyx",
    "Caldrin", "\u00c9meric", "Sigr\u00fan", "Tobbe", "Vex", "Gal'mund", "Bj\u00f6rna", "Ren\u00e9e", "Ul'vesk",
]
EPITHETS = [
    "the_Pale", "Ironhand", "Stonefist", "the_Unbroken", "Nightwhisper", "the_Rotting", "Blackmane",
    "of_the_Ash", "the_Cartographer", "Grimjaw", "the_Drowned", "Emberborn", "the_Exiled", "Frostbeard",
]
HONORIFICS = ["", "", "", "#", "#", "Lord_", "Lady_", "Captain_", "Guard_", "Sister_", "Elder_", "High_Priest_"]
LASTNAMES = [
    "Guard of the Gate", "the Pale", "Merchant", "Captain of the Watch", "Banker", "Keeper of Tomes",
    "Guild Master", "Smith", "the Ferryman", "Herald of D\u00fcrvek",
]

CREATURES = [
    ("hyvrel", 39), ("orc", 54), ("skeleton", 60), ("rat", 34), ("wolf", 42), ("bear", 43), ("spider", 38),
    ("goblin", 40), ("kobold", 48), ("bat", 34), ("snake", 37), ("zombie", 70), ("ghoul", 70), ("wisp", 69),
    ("barkwalker", 64), ("drake", 89), ("wyvern", 157), ("giant", 49), ("troll", 92), ("ogre", 93),
    ("lizardman", 51), ("glumpet", 26), ("minotaur", 53), ("golem", 17), ("imp", 46), ("gargoyle", 29),
    ("scarab", 22), ("beetle", 22), ("shade", 85), ("banshee", 118), ("harpy", 111), ("kodiak", 43),
    ("crocodile", 91), ("werewolf", 14), ("sand_giant", 49), ("fire_elemental", 75), ("mud_golem", 17),
    ("pirate", 1), ("bandit", 1), ("cultist", 3), ("dervish", 1), ("vreskar", 130), ("skreeval", 13),
]
ADJECTIVES = [
    "", "", "", "", "young", "large", "decaying", "rabid", "frenzied", "ancient", "cursed", "giant", "feral",
    "diseased", "shadowed", "burly", "gaunt", "scorched", "frozen", "mottled",
]
ROLES = [
    "", "", "", "", "pup", "scout", "warrior", "shaman", "elder", "brute", "sentry", "whelp", "matriarch",
    "lieutenant", "captain", "ravager", "hunter", "pillager", "trapper", "soothsayer", "centurion", "mystic",
]

ZONE_PRE = [
    "vorth", "keld", "brask", "suln", "drem", "osk", "pell", "thask", "griv", "malk", "quor", "rusk",
    "sorl", "teld", "umbr", "varn", "wenk", "yorl", "zath", "azk", "belk", "corv", "delm", "eskh",
    "fald", "garn", "hesk", "ilth", "jorv", "kald", "lurn", "morv", "nask", "orsk", "prav", "rhel",
    "skarr", "trov", "ungr", "vesk",
]
ZONE_SUF = [
    "moor", "fen", "deep", "hold", "keep", "reach", "wood", "vale", "spire", "peak", "marsh", "crypt",
    "fall", "gate", "barrow", "mire", "ridge", "sands", "isle", "tor", "mines", "caverns", "lair", "temple",
    "hollow", "wastes", "pass", "lake", "halls", "woods",
]

WEAPON_BASES = {
    0: ["Short Sword", "Long Sword", "Scimitar", "Broad Sword", "Blade", "Sabre", "Cutlass", "Hand Axe"],
    1: ["Two-Handed Sword", "Greatsword", "Claymore", "Great Axe", "Battle Axe"],
    2: ["Dagger", "Dirk", "Stiletto", "Rapier", "Kris"],
    3: ["Mace", "Club", "Morning Star", "Flail", "Hammer", "Cudgel"],
    4: ["Warhammer", "Great Staff", "Maul", "Quarterstaff"],
    5: ["Short Bow", "Long Bow", "Composite Bow", "Recurve Bow"],
    7: ["Throwing Axe", "Throwing Dagger", "Chakram"],
    19: ["Throwing Stars", "Shuriken", "Darts"],
    27: ["Arrows", "Bodkin Arrows", "Hunting Arrows", "Barbed Arrows"],
    35: ["Pike", "Halberd", "Spear", "Trident"],
    45: ["Hand Wraps", "Fist Wraps", "Cestus"],
}
WEAPON_TYPES = [0, 0, 0, 1, 2, 2, 3, 3, 4, 5, 7, 19, 27, 35, 45]
WEAPON_MATERIALS = [
    "Rusty", "Bronze", "Iron", "Steel", "Fine Steel", "Vethril", "Obsidian", "Bone", "Crystal", "Runed",
    "Blackened", "Silver", "Jagged", "Ornate", "Ancient", "Sootsteel", "Elven", "Dwarven", "Tarnished", "Gleaming",
]
ARMOUR_PIECES = [
    # name, slot mask, ac factor
    ("Cap", 4, 1.0), ("Helm", 4, 1.0), ("Coif", 4, 1.0), ("Mask", 8, 0.5), ("Visor", 8, 0.6),
    ("Pauldrons", 64, 1.0), ("Mantle", 64, 0.8), ("Sleeves", 128, 0.9), ("Vambraces", 128, 1.0),
    ("Cloak", 256, 0.8), ("Cape", 256, 0.7), ("Bracer", 1536, 0.6), ("Wristguard", 1536, 0.7),
    ("Gloves", 4096, 0.8), ("Gauntlets", 4096, 1.0), ("Breastplate", 131072, 2.0), ("Tunic", 131072, 1.6),
    ("Robe", 131072, 1.4), ("Hauberk", 131072, 1.9), ("Leggings", 262144, 1.5), ("Greaves", 262144, 1.6),
    ("Boots", 524288, 1.0), ("Sandals", 524288, 0.6), ("Belt", 1048576, 0.5), ("Girdle", 1048576, 0.6),
    ("Sash", 1048576, 0.4),
]
ARMOUR_MATERIALS = [
    "Cloth", "Leather", "Ringmail", "Chain", "Bronze", "Banded", "Plate", "Silk", "Scaled", "Runic", "Bone",
    "Dragonscale", "Darkweave", "Studded", "Padded", "Wolfhide", "Crystalline", "Ashen",
]
JEWELRY = [("Earring", 18), ("Necklace", 32), ("Amulet", 32), ("Gorget", 32), ("Ring", 98304), ("Charm", 1),
           ("Trinket", 1), ("Idol", 2097152)]
JEWEL_MATERIALS = ["Silver", "Gold", "Platinum", "Electrum", "Jade", "Onyx", "Bone", "Coral", "Ivory", "Jasper"]
SHIELDS = ["Round Shield", "Kite Shield", "Buckler", "Tower Shield", "Targe", "Heater Shield"]
CONTAINERS = [
    # name, bag type, slots range, weight reduction range
    ("Backpack", 0, (6, 10), (0, 0)), ("Belt Pouch", 0, (2, 4), (0, 0)), ("Small Box", 0, (4, 6), (0, 0)),
    ("Large Bag", 0, (8, 10), (0, 10)), ("Satchel", 0, (4, 8), (0, 0)), ("Sewing Kit", 16, (8, 10), (0, 0)),
    ("Quiver", 24, (6, 10), (25, 50)), ("Medicine Bag", 9, (8, 10), (0, 0)), ("Toolbox", 27, (8, 10), (0, 0)),
    ("Jeweler's Kit", 21, (8, 10), (0, 0)), ("Fletching Kit", 14, (8, 10), (0, 0)),
    ("Folding Mixing Bowl", 11, (8, 10), (0, 0)), ("Sack", 0, (6, 8), (0, 5)),
]
CONTAINER_ADJ = ["", "", "Large ", "Small ", "Sewn ", "Worn ", "Reinforced ", "Embroidered ", "Tattered "]
MISC = [
    # item type, names
    (11, ["Flawed Emerald", "Ruby", "Black Pearl", "Star Ruby", "Jacinth", "Bloodstone", "Fire Opal", "Lapis Lazuli",
          "Sapphire", "Diamond", "Carnelian", "Peridot"]),
    (14, ["Roasted Haunch", "Rations", "Jerky", "Honey Cake", "Fish Pie", "Hearth Stew"]),
    (15, ["Water Flask", "Spiced Ale", "Elven Wine", "Ironcask Stout", "Milk"]),
    (17, ["Fang", "Pelt", "Bone Chips", "Spider Silk", "Ears", "Tail", "Scales", "Claw", "Ore", "Hide", "Heart"]),
    (21, ["Potion of Vigor", "Elixir of Clarity", "Distillate of Healing", "Tonic of Swiftness", "Philter of Stone"]),
    (16, ["Torch", "Lantern", "Glowing Stone", "Candle"]),
    (23, ["Flute", "Pan Pipes"]), (24, ["Lute", "Mandolin"]), (25, ["Horn"]), (26, ["Drum", "Tambourine"]),
    (54, ["Shimmering Gem", "Runed Shard", "Glowing Socket Stone"]),
    (12, ["Lockpicks", "Fishing Pole", "Skinning Knife"]),
]
# Gems and tradeskill parts are common, instruments rare.
MISC_WEIGHTS = [22, 10, 8, 30, 8, 5, 1, 1, 1, 1, 6, 3]
SPELL_A = ["Frost", "Flame", "Shadow", "Spirit", "Storm", "Stone", "Blood", "Mind", "Soul", "Ember", "Thorn", "Night"]
SPELL_B = ["Dart", "Ward", "Shroud", "Lance", "Touch", "Blessing", "Curse", "Cascade", "Hide", "Gaze", "Call",
           "Embrace", "Gyre", "Rebuke", "Veil"]
SPELL_C = ["", "", "", " of Tarn", " of the Pale", " of Sh\u00e9vla", " II", " III", " of D\u00fcrvek"]
SUFFIXES = ["of Storms", "of Dusk", "of the Pale Moon", "of Ash", "of the Drowned", "of Embers", "of Sorrow",
            "of the Wolf", "of Thorns", "of the Deep", "of Sh\u00e9vla", "of Valor", "of the Exile"]

# Slot bits: charm 0, ears 1 and 4, head 2, face 3, neck 5, shoulders 6, arms 7, back 8, wrists 9 and 10,
# range 11, hands 12, primary 13, secondary 14, fingers 15 and 16, chest 17, legs 18, feet 19, waist 20,
# ammo 21.
SLOT_PRIMARY, SLOT_SECONDARY, SLOT_RANGE, SLOT_AMMO = 8192, 16384, 2048, 2097152


def sql_text(s):
    """A string literal: the apostrophe doubled works whatever the server's sql_mode."""
    return "'" + s.replace("\\", "\\\\").replace("'", "''") + "'"


def value(v):
    if type(v) is int:
        return str(v)
    if v is None:
        return "NULL"
    if isinstance(v, str):
        return sql_text(v)
    if isinstance(v, float):
        return repr(round(v, 6))
    return str(v)


class Out:
    """Collects multi-row INSERTs, a few thousand rows per statement."""

    def __init__(self):
        self.parts = []

    def line(self, text):
        self.parts.append(text + "\n")

    def insert(self, table, columns, rows):
        head = "INSERT INTO " + table + " (" + ",".join(columns) + ") VALUES\n"
        for start in range(0, len(rows), ROWS_PER_INSERT):
            chunk = rows[start:start + ROWS_PER_INSERT]
            body = ",\n".join("(" + ",".join(map(value, r)) + ")" for r in chunk)
            self.parts.append(head + body + ";\n")

    def text(self):
        return "".join(self.parts)


class World:
    def __init__(self, seed, scale):
        self.r = random.Random(seed)
        self.seed = seed
        self.scale = scale

        def n(full, least):
            return max(least, round(full * scale))

        self.n_zone_rows = n(ZONE_ROWS, 6)
        self.n_npcs = n(NPCS, 300)
        self.npc_id_span = max(self.n_npcs * 4, round(NPC_ID_SPAN * scale))
        self.n_loottables = n(LOOTTABLES, 80)
        self.loottable_id_span = max(self.n_loottables + 10, round(LOOTTABLE_ID_SPAN * scale))
        self.n_lootdrops = n(LOOTDROPS, 160)
        self.lootdrop_id_span = max(self.n_lootdrops * 2, round(LOOTDROP_ID_SPAN * scale))
        self.n_lootdrop_entries = n(LOOTDROP_ENTRIES, 480)
        self.n_items = n(ITEMS, 400)
        self.item_id_span = max(self.n_items + 100, round(ITEM_ID_SPAN * scale))

    # ------------------------------------------------------------ names

    def person(self):
        return self.r.choice(PERSONS)

    def npc_kind_name(self, creature):
        r = self.r
        adj = r.choice(ADJECTIVES)
        role = r.choice(ROLES)
        words = [w for w in (adj, creature, role) if w]
        name = "_".join(words)
        article = "an" if name[0] in "aeiou" else "a"
        return article + "_" + name

    def named_npc_name(self):
        r = self.r
        name = r.choice(HONORIFICS) + self.person().replace(" ", "_")
        if r.random() < 0.6:
            name += "_" + r.choice(EPITHETS)
        return name

    # ------------------------------------------------------------ zones

    def make_zones(self):
        r = self.r
        combos = [(p, s) for p in ZONE_PRE for s in ZONE_SUF]
        n_short = max(5, round(self.n_zone_rows * 0.92))
        # A world larger than the word lists allow numbers its further zones
        # ("frostmoor2"); worlds up to about 1,300 zones stay as they were.
        copy = 2
        while len(combos) < n_short:
            combos += [(p, s + str(copy)) for p in ZONE_PRE for s in ZONE_SUF]
            copy += 1
        r.shuffle(combos)
        n_extra = max(1, self.n_zone_rows - n_short)
        zone_ids = sorted(r.sample(range(1, max(1000, 2 * n_short)), n_short))
        shorts = []
        for i in range(n_short):
            pre, suf = combos[i]
            short = pre + suf
            form = r.random()
            if i == 0:
                long_name = SHOWCASE_ZONE_LONG
            elif form < 0.45:
                long_name = "The " + pre.capitalize() + " " + suf.capitalize()
            elif form < 0.75:
                long_name = pre.capitalize() + suf + " " + r.choice(["Keep", "Ruins", "Depths", "Outpost", "Hills"])
            else:
                long_name = self.person() + "'s " + suf.capitalize()
            shorts.append({"short": short, "long": long_name, "zid": zone_ids[i], "versions": [0]})
        # Several rows for one short name: the versions (instances) of a zone. The first zone always has three.
        extra_left = n_extra
        shorts[0]["versions"] = [0, 1, 2]
        extra_left -= 2
        while extra_left > 0:
            z = r.choice(shorts[1:])
            z["versions"].append(len(z["versions"]))
            extra_left -= 1
        rows = []
        for z in shorts:
            for v in z["versions"]:
                long_name = z["long"] if v == 0 else z["long"] + r.choice([" (Instanced)", "", " - Tier %d" % v])
                rows.append((z["short"], long_name, z["zid"], v))
        r.shuffle(rows)
        self.zones = shorts
        self.zone_rows = [(i + 1,) + row for i, row in enumerate(rows)]

    # ------------------------------------------------------------ npcs and spawns

    def make_npcs(self):
        r = self.r
        zones = self.zones
        n_spawned = round(self.n_npcs * 0.96)
        weights = [(1.0 / (i + 4) ** 1.25) * r.lognormvariate(0, 0.3) for i in range(len(zones))]
        total_w = sum(weights)
        sizes = [max(3, round(n_spawned * w / total_w)) for w in weights]
        # Make the sum exact: trim or pad the biggest zones.
        diff = n_spawned - sum(sizes)
        k = 0
        while diff != 0:
            step = 1 if diff > 0 else -1
            if sizes[k % len(sizes)] + step >= 3:
                sizes[k % len(sizes)] += step
                diff -= step
            k += 1
        # The first zone (the showcase) is the biggest one.
        order = sorted(range(len(zones)), key=lambda i: -sizes[i])
        sizes_sorted = [sizes[i] for i in order]
        zone_order = list(range(len(zones)))
        r.shuffle(zone_order)
        zone_order.remove(0)
        zone_order.insert(0, 0)
        for rank, zi in enumerate(zone_order):
            zones[zi]["size"] = sizes_sorted[rank]

        # NPC ids: each zone a stretch of the id range in proportion to its size, ids scattered in it.
        used = set()
        cursor = 1
        per_npc = (self.npc_id_span - 1) / self.n_npcs
        by_zid = sorted(zones, key=lambda z: z["zid"])
        for z in by_zid:
            block = max(z["size"] + 1, int(z["size"] * per_npc))
            ids = sorted(r.sample(range(cursor, cursor + block), z["size"]))
            z["npc_ids"] = ids
            used.update(ids)
            cursor += block
        self.npc_id_limit = cursor

        npcs = {}  # id -> [name, lastname, level, race, class, bodytype, hp, loottable]
        kinds_with_loot = []  # (zone, kind) pairs that want a loot table
        for zi, z in enumerate(zones):
            lo = r.randint(1, 60)
            hi = min(75, lo + r.randint(4, 15))
            z["levels"] = (lo, hi)
            n_kinds = max(1, round(z["size"] / 3.5))
            kinds = []
            for ki in range(n_kinds):
                creature, race = r.choice(CREATURES)
                named = r.random() < 0.06
                if zi == 0 and ki < len(SHOWCASE_NPCS):
                    name = SHOWCASE_NPCS[ki]
                    named = not name.startswith("a_")
                elif named:
                    name = self.named_npc_name()
                    race = r.randint(1, 400)
                else:
                    name = self.npc_kind_name(creature)
                level = r.randint(lo, hi) + (r.randint(2, 8) if named else 0)
                kind = {
                    "name": name, "race": race, "class": r.choice([1, 1, 1, 1, 2, 5, 6, 11, 12, 13, 14, 15]),
                    "body": r.choice([1, 1, 1, 3, 3, 5, 21, 24, 26, 28]), "level": min(255, level),
                    "lastname": r.choice(LASTNAMES) if named and r.random() < 0.5 else None,
                    "loot": r.random() >= 0.07 or (zi == 0 and ki < len(SHOWCASE_NPCS)), "zone": zi,
                }
                if kind["loot"]:
                    kinds_with_loot.append(kind)
                kinds.append(kind)
            z["kinds"] = kinds
            ids = z["npc_ids"]
            for j, npc_id in enumerate(ids):
                kind = kinds[j] if j < len(kinds) else r.choice(kinds)
                level = max(1, min(255, kind["level"] + r.randint(-1, 2)))
                npcs[npc_id] = {"kind": kind, "level": level,
                                "has_loot": kind["loot"] and (r.random() >= 0.03 or j < len(kinds))}

        # Pets, event and quest NPCs that spawn nowhere.
        unspawned = []
        while len(unspawned) < self.n_npcs - n_spawned:
            npc_id = r.randint(1, self.npc_id_limit)
            if npc_id in used:
                continue
            used.add(npc_id)
            unspawned.append(npc_id)
            creature, race = r.choice(CREATURES)
            kind = {
                "name": (self.person() + "`s_pet") if r.random() < 0.3 else self.npc_kind_name(creature),
                "race": race, "class": r.choice([1, 1, 2, 11, 13]), "body": 1, "level": r.randint(1, 70),
                "lastname": None, "loot": r.random() < 0.5, "zone": None,
            }
            npcs[npc_id] = {"kind": kind, "level": kind["level"], "has_loot": kind["loot"], "borrow": True}
        self.npcs = npcs
        self.kinds_with_loot = kinds_with_loot

    def make_spawns(self):
        r = self.r
        groups = []  # (id, name, limit)
        entries = []  # (group, npc, chance)
        points = []  # (id, group, zone, version, x, y, z, respawn)
        all_zone_npcs = [(zi, npc) for zi, z in enumerate(self.zones) for npc in z["npc_ids"]]
        group_id = 0
        point_id = 0
        for zi, z in enumerate(self.zones):
            members = list(z["npc_ids"])
            r.shuffle(members)
            zone_groups = []
            pos = 0
            while pos < len(members):
                size = r.choices([1, 2, 3, 4], weights=[50, 25, 15, 10])[0]
                zone_groups.append(members[pos:pos + size])
                pos += size
            # A quarter of the NPCs spawn in a second group of the same zone as well.
            for npc in members:
                if r.random() < 0.25 and len(zone_groups) > 1:
                    g = r.choice(zone_groups)
                    if npc not in g:
                        g.append(npc)
            # Now and then a wanderer from another zone.
            for g in zone_groups:
                if r.random() < 0.003:
                    other_zone, npc = r.choice(all_zone_npcs)
                    if other_zone != zi and npc not in g:
                        g.append(npc)
            for k, g in enumerate(zone_groups, start=1):
                group_id += 1
                groups.append((group_id, "%s_%d" % (z["short"], k), 0 if r.random() < 0.95 else r.randint(1, 3)))
                shares = [r.randint(1, 10) for _ in g]
                chances = [max(1, round(100 * s / sum(shares))) for s in shares]
                for npc, chance in zip(g, chances):
                    entries.append((group_id, npc, chance))
                for _ in range(1 + (r.random() < 0.4) + (r.random() < 0.15)):
                    point_id += 1
                    version = 0 if len(z["versions"]) == 1 or r.random() < 0.7 else r.choice(z["versions"])
                    points.append((point_id, group_id, z["short"], version,
                                   round(r.uniform(-3000, 3000), 1), round(r.uniform(-3000, 3000), 1),
                                   round(r.uniform(-200, 400), 1),
                                   r.choice([360, 640, 640, 1200, 1200, 1800, 3600, 28800, 86400])))
        entries.sort()
        self.spawngroups = groups
        self.spawnentries = entries
        self.spawnpoints = points

    # ------------------------------------------------------------ items

    def masks(self, rich):
        r = self.r

        def subset(bits, least, most):
            chosen = r.sample(range(bits), r.randint(least, most))
            return sum(1 << b for b in chosen)

        classes = 65535 if r.random() < (0.45 if rich else 0.8) else subset(16, 1, 8)
        races = 65535 if r.random() < 0.6 else subset(16, 1, 10)
        deity = 0 if r.random() < 0.85 else subset(17, 1, 9)
        return classes, races, deity

    def make_items(self):
        r = self.r
        ids = sorted(r.sample(range(ITEM_FIRST_ID, ITEM_FIRST_ID + self.item_id_span), self.n_items))
        dagger_id = min(ids, key=lambda i: abs(i - 7007))
        special = {dagger_id: (RUSTY_DAGGER, "weapon", 2)}
        free = [i for i in ids[1:] if i != dagger_id]
        for (name, kind, itype), item_id in zip(SHOWCASE_ITEMS, free):
            special[item_id] = (name, kind, itype)
        kinds = ["weapon"] * 22 + ["armour"] * 27 + ["jewelry"] * 6 + ["shield"] * 3 + ["container"] * 3 + \
                ["scroll"] * 10 + ["misc"] * 29
        rows = []
        self.items_by_bucket = {}  # (category, bucket) -> ids
        self.all_item_ids = ids
        seen = set()
        for item_id in ids:
            if item_id in special:
                name, kind, itype = special[item_id]
            else:
                kind, itype, name = r.choice(kinds), None, None
            level = r.randint(1, 70)
            if item_id == dagger_id:
                level = 1
            row = self.item_row(item_id, kind, itype, name, level, seen)
            rows.append(row)
            category = {"scroll": "scroll", "misc": "misc", "container": "misc"}.get(kind, "gear")
            if row[4] == 11 and kind == "misc":
                category = "gem"
            self.items_by_bucket.setdefault((category, level // 10), []).append(item_id)
        self.items = rows
        self.dagger_id = dagger_id

    def item_name(self, kind, itype, level, extra):
        r = self.r
        if kind == "weapon":
            base = r.choice(WEAPON_BASES[itype])
            form = r.random()
            if form < 0.55:
                return r.choice(WEAPON_MATERIALS) + " " + base
            if form < 0.75:
                return self.person() + "'s " + base
            return r.choice(WEAPON_MATERIALS) + " " + base + " " + r.choice(SUFFIXES)
        if kind == "armour":
            piece = extra
            form = r.random()
            if form < 0.6:
                return r.choice(ARMOUR_MATERIALS) + " " + piece
            if form < 0.8:
                return r.choice(ARMOUR_MATERIALS) + " " + piece + " " + r.choice(SUFFIXES)
            return self.person() + "'s " + piece
        if kind == "jewelry":
            return r.choice(JEWEL_MATERIALS) + " " + extra + ("" if r.random() < 0.5 else " " + r.choice(SUFFIXES))
        if kind == "shield":
            return r.choice(ARMOUR_MATERIALS + WEAPON_MATERIALS) + " " + r.choice(SHIELDS)
        if kind == "container":
            return r.choice(CONTAINER_ADJ) + extra
        if kind == "scroll":
            return "Spell: " + r.choice(SPELL_A) + " " + r.choice(SPELL_B) + r.choice(SPELL_C)
        # misc
        if itype == 17:
            creature = r.choice(CREATURES)[0].replace("_", " ").title()
            return creature + " " + extra
        if itype == 21:
            return extra + " " + r.choice(["I", "II", "III", "IV", "V"])
        return extra

    def item_row(self, item_id, kind, itype, name, level, seen):
        r = self.r
        extra = None
        slots = 0
        ac_factor = 0.0
        itemclass = 0
        if kind == "weapon":
            if itype is None:
                itype = r.choice(WEAPON_TYPES)
        elif kind == "armour":
            itype = 10
            piece, slots, ac_factor = r.choice(ARMOUR_PIECES)
            extra = piece
        elif kind == "jewelry":
            itype = 29
            extra, slots = r.choice(JEWELRY)
        elif kind == "shield":
            itype = 8
            slots = SLOT_SECONDARY
            ac_factor = 1.8
        elif kind == "container":
            itemclass = 1
            itype = 11 if itype is None else itype
            bag = r.choice(CONTAINERS)
            extra = bag[0]
        elif kind == "scroll":
            itype = 20
        else:
            itype, names = r.choices(MISC, weights=MISC_WEIGHTS)[0]
            extra = r.choice(names)
        if name is None:
            for _ in range(4):
                name = self.item_name(kind, itype, level, extra)
                if name.lower() != RUSTY_DAGGER and name not in seen:
                    break
                name += " " + r.choice(["II", "III", "IV", "V"])
            if name.lower() == RUSTY_DAGGER:
                name = "Old Rusty Dagger"
        seen.add(name)
        name = name[:64]

        rich = kind in ("weapon", "armour", "jewelry", "shield")
        magic = 1 if (kind == "jewelry" or (rich and r.random() < 0.42)) else 0
        classes, races, deity = self.masks(rich)
        if kind == "scroll":
            classes = 1 << r.randrange(16)
        stats = dict.fromkeys(["ac", "adex", "acha", "asta", "astr", "aint", "awis", "aagi", "hp", "mana",
                               "cr", "dr", "fr", "mr", "pr", "regen", "manaregen", "haste", "attack"], 0)
        if ac_factor:
            stats["ac"] = max(1, round((1 + level * 0.45) * ac_factor * r.uniform(0.7, 1.2)))
        if magic:
            for stat in r.sample(["adex", "acha", "asta", "astr", "aint", "awis", "aagi", "hp", "mana",
                                  "cr", "dr", "fr", "mr", "pr"], r.randint(1, 5)):
                if stat in ("hp", "mana"):
                    stats[stat] = r.randint(5, 10 + level * 3)
                elif stat in ("cr", "dr", "fr", "mr", "pr"):
                    stats[stat] = r.randint(1, 3 + level // 3)
                else:
                    stats[stat] = r.randint(1, 3 + level // 5) if r.random() < 0.93 else -r.randint(1, 5)
            if r.random() < 0.05:
                stats["regen"] = r.randint(1, 10)
            if r.random() < 0.03:
                stats["manaregen"] = r.randint(1, 8)
            if r.random() < 0.04:
                stats["haste"] = r.randint(5, 60)
            if r.random() < 0.06:
                stats["attack"] = r.randint(1, 30)

        damage = delay = 0
        if kind == "weapon":
            two_handed = itype in (1, 4, 35)
            damage = max(1, round((3 + level * 0.5) * (1.6 if two_handed else 1.0) * r.uniform(0.7, 1.3)))
            if itype == 27:
                delay = 0
                damage = max(1, damage // 3)
                slots = SLOT_AMMO
            elif itype == 5:
                delay = r.randint(25, 45)
                slots = SLOT_RANGE
            elif itype in (7, 19):
                delay = r.randint(16, 30)
                slots = SLOT_RANGE | SLOT_PRIMARY
            elif two_handed:
                delay = r.randint(30, 50)
                slots = SLOT_PRIMARY
            else:
                delay = r.randint(18, 40)
                slots = SLOT_PRIMARY | SLOT_SECONDARY
        elif kind == "container":
            bag = next(b for b in CONTAINERS if extra == b[0])
            if r.random() < 0.2:
                slots = 1048576  # worn at the waist

        def effect(chance):
            if r.random() < chance:
                return r.randint(1, 4000), r.randint(0, level)
            return -1, 0

        proc = effect(0.10 if kind == "weapon" else 0.0)
        focus = effect(0.07 if kind in ("armour", "jewelry", "shield") else 0.0)
        click = effect(1.0 if itype == 21 else (0.05 if kind != "scroll" else 0.0))
        worn = effect(0.08 if kind in ("armour", "jewelry") else 0.01)
        scroll = r.randint(1, 4000) if kind == "scroll" else -1

        bagsize = bagslots = bagtype = bagwr = 0
        if kind == "container":
            bagsize = r.randint(0, 4)
            bagslots = r.randint(*bag[2])
            bagtype = bag[1]
            bagwr = r.randint(*bag[3])

        banedmgamt = banedmgbody = banedmgrace = banedmgraceamt = 0
        elemdmgamt = elemdmgtype = 0
        if kind == "weapon":
            if r.random() < 0.03:
                if r.random() < 0.5:
                    banedmgbody, banedmgamt = r.randint(1, 36), r.randint(5, 30)
                else:
                    banedmgrace, banedmgraceamt = r.randint(1, 400), r.randint(5, 30)
            if r.random() < 0.06:
                elemdmgtype, elemdmgamt = r.randint(1, 5), r.randint(1, 30)

        aug = [0, 0, 0]
        if rich and r.random() < 0.12:
            aug[0] = r.randint(1, 20)
            if r.random() < 0.4:
                aug[1] = r.randint(1, 20)
                if r.random() < 0.4:
                    aug[2] = r.randint(1, 20)

        loregroup = 0
        lore_roll = r.random()
        if lore_roll < 0.25:
            loregroup = -1
        elif lore_roll < 0.30:
            loregroup = r.randint(1, 5000)
        nodrop = 0 if r.random() < 0.2 else 1
        norent = 0 if r.random() < 0.05 else 1
        reqlevel = level if r.random() < 0.1 else 0
        reclevel = level if r.random() < 0.2 else 0
        weight = {"weapon": r.randint(5, 120), "armour": r.randint(5, 200), "shield": r.randint(40, 150),
                  "container": r.randint(5, 40), "scroll": 1, "jewelry": r.randint(1, 5)}.get(kind, r.randint(1, 30))
        size = {"weapon": r.randint(2, 3), "armour": r.randint(1, 2), "shield": 3, "container": r.randint(1, 4),
                "scroll": 0, "jewelry": 0}.get(kind, r.randint(0, 2))
        price = r.randint(1, 20) + level * level * r.randint(2, 40) * (3 if magic else 1)
        icon = r.randint(500, 2500)
        idfile = "IT%d" % r.randint(1, 999) if kind in ("weapon", "shield") else "IT63"
        lore = ("*" + name if loregroup else name)[:80]
        return (item_id, name, lore, idfile, itype, itemclass, icon, classes, races, slots, deity, magic,
                loregroup, nodrop, norent, stats["ac"], stats["adex"], stats["acha"], stats["asta"], stats["astr"],
                stats["aint"], stats["awis"], stats["aagi"], stats["hp"], stats["mana"], weight, size,
                stats["cr"], stats["dr"], stats["fr"], stats["mr"], stats["pr"], delay, damage, stats["regen"],
                stats["manaregen"], stats["haste"], stats["attack"], reqlevel, reclevel, aug[0], aug[1], aug[2],
                proc[0], proc[1], focus[0], focus[1], click[0], click[1], worn[0], worn[1], scroll,
                bagsize, bagslots, bagtype, bagwr, banedmgamt, banedmgbody, banedmgrace, banedmgraceamt,
                elemdmgamt, elemdmgtype, price)

    # ------------------------------------------------------------ loot

    def make_loot(self):
        r = self.r
        scale = self.scale
        table_ids = sorted(r.sample(range(1, self.loottable_id_span + 1), self.n_loottables))
        kinds = self.kinds_with_loot
        n_orphan_tables = max(3, round(0.03 * self.n_loottables))
        usable = self.n_loottables - n_orphan_tables
        sharing = set(r.sample(range(len(kinds)), len(kinds) - usable)) if len(kinds) > usable else set()
        tables = []  # dicts: id, name, level, zone
        next_table = iter(table_ids)
        last_in_zone = {}
        for i, kind in enumerate(kinds):
            zone = self.zones[kind["zone"]]
            if i in sharing and kind["zone"] in last_in_zone:
                kind["table"] = last_in_zone[kind["zone"]]
                continue
            t = {"id": next(next_table), "name": zone["short"] + "_" + kind["name"], "level": kind["level"],
                 "zone": kind["zone"], "used": True}
            tables.append(t)
            kind["table"] = t["id"]
            last_in_zone[kind["zone"]] = t["id"]
        used_tables = [t["id"] for t in tables]
        for table_id in next_table:
            zi = r.randrange(len(self.zones))
            creature = r.choice(CREATURES)[0]
            tables.append({"id": table_id, "name": self.zones[zi]["short"] + "_" + self.npc_kind_name(creature),
                           "level": r.randint(1, 70), "zone": zi, "used": False})
        tables.sort(key=lambda t: t["id"])
        orphans = [t for t in tables if not t["used"]]
        for t in r.sample(orphans, max(1, round(0.002 * self.n_loottables))):
            t["empty"] = True

        # NPC rows.
        npc_rows = []
        for npc_id in sorted(self.npcs):
            npc = self.npcs[npc_id]
            kind = npc["kind"]
            if not npc["has_loot"]:
                table = 0
            elif npc.get("borrow"):
                table = r.choice(used_tables)
            else:
                table = kind["table"]
            level = npc["level"]
            hp = (level * level // 2 + level * 12 + r.randint(5, 40)) * (3 if kind["name"][0] in "#LCGHS" else 1)
            npc_rows.append((npc_id, kind["name"], kind["lastname"], level, kind["race"], kind["class"],
                             kind["body"], hp, table))
        self.npc_rows = npc_rows

        # Lootdrops: globals shared world-wide, a few shared per zone, each table's own, and some unused.
        ld_ids = r.sample(range(1, self.lootdrop_id_span + 1), self.n_lootdrops)
        ld_iter = iter(ld_ids)
        lootdrops = []  # dicts: id, name, level, category

        n_globals = max(3, round(300 * scale))
        categories = ["gem", "scroll", "misc"]
        globals_ = []
        for g in range(n_globals):
            cat = categories[g % 3]
            bucket = (g // 3) % 8
            label = {"gem": "Gems", "scroll": "Spells", "misc": "Tradeskill"}[cat]
            d = {"id": next(ld_iter), "name": "Global_%s_L%d-%d_%d" % (label, bucket * 10, bucket * 10 + 9, g // 24),
                 "level": bucket * 10 + 5, "category": cat, "global": True}
            globals_.append(d)
            lootdrops.append(d)
        zone_shared = {}
        for zi, z in enumerate(self.zones):
            for k in range(1 + z["size"] // 800):
                lo, hi = z["levels"]
                d = {"id": next(ld_iter), "name": "%s_shared_%d" % (z["short"], k + 1), "level": (lo + hi) // 2,
                     "category": "own"}
                zone_shared.setdefault(zi, []).append(d)
                lootdrops.append(d)
        n_orphan_drops = max(3, round(0.05 * self.n_lootdrops))
        own_budget = self.n_lootdrops - len(lootdrops) - n_orphan_drops
        filled = [t for t in tables if not t.get("empty")]
        if own_budget < len(filled):
            raise SystemExit("demo_world: too few lootdrops for the loot tables at this scale")
        own_counts = [1] * len(filled)
        for i in r.choices(range(len(filled)), k=own_budget - len(filled)):
            own_counts[i] += 1

        links = []  # (table, lootdrop, multiplier, droplimit, mindrop, probability)
        suffixes = ["common", "rare", "weapons", "armor", "coin_items", "tradeskill", "spells", "named", "gems"]
        for t, count in zip(filled, own_counts):
            linked = set()
            for k in range(count):
                d = {"id": next(ld_iter), "name": t["name"] + "_" + suffixes[k % len(suffixes)],
                     "level": t["level"], "category": "own"}
                lootdrops.append(d)
                linked.add(d["id"])
                links.append((t["id"], d["id"], 1 if r.random() < 0.9 else r.randint(2, 3),
                              r.choice([0, 0, 1, 1, 2]), r.choice([0, 0, 0, 1]),
                              100.0 if k == 0 or r.random() < 0.5 else r.choice([5.0, 10.0, 12.5, 25.0, 50.0, 75.0])))
            for _ in range(r.choices([0, 1, 2], weights=[55, 35, 10])[0]):
                pool = zone_shared[t["zone"]] if r.random() < 0.6 else globals_
                d = r.choice(pool)
                if d["id"] in linked:
                    continue
                linked.add(d["id"])
                links.append((t["id"], d["id"], 1, 1, 0, r.choice([100.0, 50.0, 25.0, 10.0, 5.0, 2.5])))
        for d in ld_iter:
            creature = r.choice(CREATURES)[0]
            lootdrops.append({"id": d, "name": self.npc_kind_name(creature) + "_" + r.choice(suffixes),
                              "level": r.randint(1, 70), "category": "own"})
        links.sort()
        self.loottable_rows = [(t["id"], t["name"][:255], *self.cash(t["level"]), 0) for t in tables]
        self.loottable_entry_rows = links
        self.showcase_drop = next(l[1] for l in links if l[0] == self.npcs_first_table())

        # Entries: every lootdrop at least one item, globals many, the rest spread at random.
        lootdrops.sort(key=lambda d: d["id"])
        counts = [r.randint(12, 40) if d.get("global") else 1 for d in lootdrops]
        rest = self.n_lootdrop_entries - sum(counts)
        if rest < 0:
            raise SystemExit("demo_world: too few lootdrop entries at this scale")
        weights = [0.0 if d.get("global") else r.lognormvariate(0, 0.6) for d in lootdrops]
        for i in r.choices(range(len(lootdrops)), weights=weights, k=rest):
            counts[i] += 1
        item_type = {row[0]: row[4] for row in self.items}
        gear_of_kind = {row[0]: row[5] == 0 and row[4] in (0, 1, 2, 3, 4, 5, 7, 8, 10, 19, 29, 35, 45)
                        for row in self.items}
        entries = []
        for d, count in zip(lootdrops, counts):
            picked = set()
            if d["id"] == self.showcase_drop:
                picked.add(self.dagger_id)
            elif d["level"] < 12 and d["category"] == "own" and r.random() < 0.05:
                picked.add(self.dagger_id)
            attempts = 0
            while len(picked) < count and attempts < count * 20:
                attempts += 1
                picked.add(self.pick_item(d))
            while len(picked) < count:  # a small world's level pools run dry
                picked.add(r.choice(self.all_item_ids))
            for item in sorted(picked):
                stack = item_type[item] in (14, 15, 17, 27)
                chance = (r.choice([100.0, 100.0, 50.0, 25.0, 10.0]) if count == 1
                          else r.choice([0.5, 1.5, 2.0, 5.0, 5.0, 6.67, 8.5, 10.0, 10.0, 12.5, 15.0, 20.0, 25.0,
                                         33.33, 50.0]))
                if d.get("global"):
                    chance = r.choice([0.5, 1.0, 1.5, 2.0, 3.0])
                entries.append((d["id"], item, r.choice([5, 10, 20]) if stack and r.random() < 0.5 else 1,
                                1 if gear_of_kind[item] and r.random() < 0.3 else 0, chance, 0.0,
                                1 if r.random() < 0.95 else 2, 0, 0 if r.random() < 0.8 else 127))
        self.lootdrop_rows = [(d["id"], d["name"][:255]) for d in lootdrops]
        self.lootdrop_entry_rows = entries

    def npcs_first_table(self):
        # The loot table of the showcase zone's first NPC kind ("a_hyvrel_pup"): it drops the rusty dagger.
        return self.zones[0]["kinds"][0]["table"]

    def cash(self, level):
        r = self.r
        if r.random() < 0.3:
            return 0, 0, 0
        lo = r.randint(0, level * 5)
        hi = lo + r.randint(0, level * 20)
        return lo, hi, (lo + hi) // 2

    def pick_item(self, drop):
        r = self.r
        if drop.get("global"):
            category = drop["category"]
        else:
            category = r.choices(["gear", "misc", "scroll", "gem"], weights=[60, 28, 6, 6])[0]
        bucket = max(0, min(7, drop["level"] // 10 + r.choice([-1, 0, 0, 0, 1])))
        pool = self.items_by_bucket.get((category, bucket))
        if not pool:
            pool = self.all_item_ids
        return r.choice(pool)

    # ------------------------------------------------------------ output

    def build(self):
        self.make_zones()
        self.make_npcs()
        self.make_spawns()
        self.make_items()
        self.make_loot()

    def sql(self):
        out = Out()
        out.line("-- KorvexLoot demo world: seed %d, scale %s (scripts/demo_world.py)." % (self.seed, self.scale))
        out.line("-- Rows only: load scripts/schema.sql first.")
        out.line("SET NAMES utf8mb4;")
        out.line("SET foreign_key_checks=0;")
        out.line("SET unique_checks=0;")
        out.line("SET autocommit=0;")
        tables = [
            ("zone", ["id", "short_name", "long_name", "zoneidnumber", "version"], self.zone_rows),
            ("npc_types", ["id", "name", "lastname", "level", "race", "class", "bodytype", "hp", "loottable_id"],
             self.npc_rows),
            ("spawngroup", ["id", "name", "spawn_limit"], self.spawngroups),
            ("spawnentry", ["spawngroupID", "npcID", "chance"], self.spawnentries),
            ("spawn2", ["id", "spawngroupID", "zone", "version", "x", "y", "z", "respawntime"], self.spawnpoints),
            ("items", ITEM_COLUMNS, self.items),
            ("loottable", ["id", "name", "mincash", "maxcash", "avgcoin", "done"], self.loottable_rows),
            ("loottable_entries", ["loottable_id", "lootdrop_id", "multiplier", "droplimit", "mindrop",
                                   "probability"], self.loottable_entry_rows),
            ("lootdrop", ["id", "name"], self.lootdrop_rows),
            ("lootdrop_entries", ["lootdrop_id", "item_id", "item_charges", "equip_item", "chance",
                                  "disabled_chance", "multiplier", "npc_min_level", "npc_max_level"],
             self.lootdrop_entry_rows),
        ]
        # One transaction: a load that is cut short leaves no half world behind.
        for table, columns, rows in tables:
            out.insert(table, columns, rows)
        out.line("COMMIT;")
        out.line("SET unique_checks=1;")
        out.line("SET foreign_key_checks=1;")
        return out.text()

    def summary(self):
        group_zone = {p[1]: p[2] for p in self.spawnpoints}
        per_zone = {}
        for group, npc, _ in self.spawnentries:
            per_zone.setdefault(group_zone[group], set()).add(npc)
        sizes = sorted((len(v) for v in per_zone.values()), reverse=True)
        with_loot = sum(1 for row in self.npc_rows if row[8])
        shorts = {row[1] for row in self.zone_rows}
        return "\n".join([
            "zones: %d rows, %d short names" % (len(self.zone_rows), len(shorts)),
            "npc_types: %d (ids up to %d, %.1f%% with a loot table)" % (
                len(self.npc_rows), self.npc_rows[-1][0], 100.0 * with_loot / len(self.npc_rows)),
            "NPCs per zone: largest %s, median %d, smallest %d" % (
                ", ".join(map(str, sizes[:5])), sizes[len(sizes) // 2], sizes[-1]),
            "spawngroup %d, spawnentry %d, spawn2 %d" % (
                len(self.spawngroups), len(self.spawnentries), len(self.spawnpoints)),
            "loottable %d, loottable_entries %d" % (len(self.loottable_rows), len(self.loottable_entry_rows)),
            "lootdrop %d (ids up to %d), lootdrop_entries %d" % (
                len(self.lootdrop_rows), self.lootdrop_rows[-1][0], len(self.lootdrop_entry_rows)),
            "items %d (ids %d..%d, \"%s\" is %d)" % (
                len(self.items), self.items[0][0], self.items[-1][0], RUSTY_DAGGER, self.dagger_id),
        ])


ITEM_COLUMNS = [
    "id", "Name", "lore", "idfile", "itemtype", "itemclass", "icon", "classes", "races", "slots", "deity", "magic",
    "loregroup", "nodrop", "norent", "ac", "adex", "acha", "asta", "astr", "aint", "awis", "aagi", "hp", "mana",
    "weight", "size", "cr", "dr", "fr", "mr", "pr", "delay", "damage", "regen", "manaregen", "haste", "attack",
    "reqlevel", "reclevel", "augslot1type", "augslot2type", "augslot3type", "proceffect", "proclevel",
    "focuseffect", "focuslevel", "clickeffect", "clicklevel", "worneffect", "wornlevel", "scrolleffect",
    "bagsize", "bagslots", "bagtype", "bagwr", "banedmgamt", "banedmgbody", "banedmgrace", "banedmgraceamt",
    "elemdmgamt", "elemdmgtype", "price",
]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("-o", "--output", help="SQL file to write (default: standard output)")
    ap.add_argument("--seed", type=int, default=SEED)
    ap.add_argument("--scale", type=float, default=1.0, help="multiplies every count (0.01: a tiny world)")
    ap.add_argument("--quiet", action="store_true", help="no summary on standard error")
    args = ap.parse_args()
    if not 0 < args.scale <= 10:
        ap.error("--scale must lie in (0, 10]")
    world = World(args.seed, args.scale)
    world.build()
    text = world.sql()
    if args.output:
        with open(args.output, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
    else:
        sys.stdout.reconfigure(encoding="utf-8")
        sys.stdout.write(text)
    if not args.quiet:
        print(world.summary(), file=sys.stderr)


if __name__ == "__main__":
    main()
