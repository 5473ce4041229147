-- Tables and columns of the game server's world database that the loot
-- editor reads and writes. Types, keys and defaults follow the real server's
-- schema. Columns the editor never touches are left out, but for those of
-- the loot tables that every save must keep as they are (level limits,
-- expansion ranges, content flags).


DROP TABLE IF EXISTS lootdrop_entries, loottable_entries, lootdrop, loottable,
  npc_types, items, spawnentry, spawngroup, spawn2, zone, variables;

CREATE TABLE lootdrop (
  id int(11) unsigned NOT NULL AUTO_INCREMENT,
  name varchar(255) NOT NULL DEFAULT '',
  min_expansion tinyint(4) NOT NULL DEFAULT -1,
  max_expansion tinyint(4) NOT NULL DEFAULT -1,
  content_flags varchar(100) DEFAULT NULL,
  content_flags_disabled varchar(100) DEFAULT NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;

CREATE TABLE lootdrop_entries (
  lootdrop_id int(11) unsigned NOT NULL DEFAULT 0,
  item_id int(11) NOT NULL DEFAULT 0,
  item_charges smallint(2) unsigned NOT NULL DEFAULT 1,
  equip_item tinyint(2) unsigned NOT NULL DEFAULT 0,
  chance float NOT NULL DEFAULT 1,
  disabled_chance float NOT NULL DEFAULT 0,
  multiplier tinyint(2) unsigned NOT NULL DEFAULT 1,
  npc_min_level smallint(5) unsigned NOT NULL DEFAULT 0,
  npc_max_level smallint(5) unsigned NOT NULL DEFAULT 0,
  trivial_min_level smallint(5) unsigned NOT NULL DEFAULT 0,
  trivial_max_level smallint(5) unsigned NOT NULL DEFAULT 0,
  min_expansion tinyint(4) NOT NULL DEFAULT -1,
  max_expansion tinyint(4) NOT NULL DEFAULT -1,
  content_flags varchar(100) DEFAULT NULL,
  content_flags_disabled varchar(100) DEFAULT NULL,
  PRIMARY KEY (lootdrop_id, item_id),
  KEY item_id (item_id)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;

CREATE TABLE loottable (
  id int(11) unsigned NOT NULL AUTO_INCREMENT,
  name varchar(255) NOT NULL DEFAULT '',
  mincash int(11) unsigned NOT NULL DEFAULT 0,
  maxcash int(11) unsigned NOT NULL DEFAULT 0,
  avgcoin int(10) unsigned NOT NULL DEFAULT 0,
  done tinyint(3) NOT NULL DEFAULT 0,
  min_expansion tinyint(4) NOT NULL DEFAULT -1,
  max_expansion tinyint(4) NOT NULL DEFAULT -1,
  content_flags varchar(100) DEFAULT NULL,
  content_flags_disabled varchar(100) DEFAULT NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;

CREATE TABLE loottable_entries (
  loottable_id int(11) unsigned NOT NULL DEFAULT 0,
  lootdrop_id int(11) unsigned NOT NULL DEFAULT 0,
  multiplier tinyint(2) unsigned NOT NULL DEFAULT 1,
  droplimit tinyint(2) unsigned NOT NULL DEFAULT 0,
  mindrop tinyint(2) unsigned NOT NULL DEFAULT 0,
  probability float NOT NULL DEFAULT 100,
  PRIMARY KEY (loottable_id, lootdrop_id),
  KEY lootdrop_id (lootdrop_id)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;

CREATE TABLE npc_types (
  id int(11) NOT NULL AUTO_INCREMENT,
  name text NOT NULL,
  lastname varchar(32) DEFAULT NULL,
  level tinyint(2) unsigned NOT NULL DEFAULT 0,
  race smallint(5) unsigned NOT NULL DEFAULT 0,
  class tinyint(2) unsigned NOT NULL DEFAULT 0,
  bodytype int(11) DEFAULT 1,
  hp int(11) NOT NULL DEFAULT 0,
  loottable_id int(11) unsigned NOT NULL DEFAULT 0,
  PRIMARY KEY (id),
  KEY level (level),
  KEY loottable_id (loottable_id)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;

CREATE TABLE items (
  id int(11) NOT NULL DEFAULT 0,
  Name varchar(64) NOT NULL DEFAULT '',
  lore varchar(80) NOT NULL DEFAULT '',
  idfile varchar(30) NOT NULL DEFAULT '',
  itemtype int(11) NOT NULL DEFAULT 0,
  itemclass int(11) NOT NULL DEFAULT 0,
  icon int(11) NOT NULL DEFAULT 0,
  classes int(11) NOT NULL DEFAULT 0,
  races int(11) NOT NULL DEFAULT 0,
  slots int(11) NOT NULL DEFAULT 0,
  deity int(11) NOT NULL DEFAULT 0,
  magic int(11) NOT NULL DEFAULT 0,
  loregroup int(11) NOT NULL DEFAULT 0,
  nodrop int(11) NOT NULL DEFAULT 0,
  norent int(11) NOT NULL DEFAULT 0,
  ac int(11) NOT NULL DEFAULT 0,
  adex int(11) NOT NULL DEFAULT 0,
  acha int(11) NOT NULL DEFAULT 0,
  asta int(11) NOT NULL DEFAULT 0,
  astr int(11) NOT NULL DEFAULT 0,
  aint int(11) NOT NULL DEFAULT 0,
  awis int(11) NOT NULL DEFAULT 0,
  aagi int(11) NOT NULL DEFAULT 0,
  hp int(11) NOT NULL DEFAULT 0,
  mana int(11) NOT NULL DEFAULT 0,
  weight int(11) NOT NULL DEFAULT 0,
  size int(11) NOT NULL DEFAULT 0,
  cr int(11) NOT NULL DEFAULT 0,
  dr int(11) NOT NULL DEFAULT 0,
  fr int(11) NOT NULL DEFAULT 0,
  mr int(11) NOT NULL DEFAULT 0,
  pr int(11) NOT NULL DEFAULT 0,
  delay int(11) NOT NULL DEFAULT 0,
  damage int(11) NOT NULL DEFAULT 0,
  regen int(11) NOT NULL DEFAULT 0,
  manaregen int(11) NOT NULL DEFAULT 0,
  haste int(11) NOT NULL DEFAULT 0,
  attack int(11) NOT NULL DEFAULT 0,
  reqlevel int(11) NOT NULL DEFAULT 0,
  reclevel int(11) NOT NULL DEFAULT 0,
  augslot1type tinyint(3) NOT NULL DEFAULT 0,
  augslot2type tinyint(3) NOT NULL DEFAULT 0,
  augslot3type tinyint(3) NOT NULL DEFAULT 0,
  proceffect int(11) NOT NULL DEFAULT 0,
  proclevel int(11) NOT NULL DEFAULT 0,
  focuseffect int(11) NOT NULL DEFAULT 0,
  focuslevel int(11) NOT NULL DEFAULT 0,
  clickeffect int(11) NOT NULL DEFAULT 0,
  clicklevel int(11) NOT NULL DEFAULT 0,
  worneffect int(11) NOT NULL DEFAULT 0,
  wornlevel int(11) NOT NULL DEFAULT 0,
  scrolleffect int(11) NOT NULL DEFAULT 0,
  bagsize int(11) NOT NULL DEFAULT 0,
  bagslots int(11) NOT NULL DEFAULT 0,
  bagtype int(11) NOT NULL DEFAULT 0,
  bagwr int(11) NOT NULL DEFAULT 0,
  banedmgamt int(11) NOT NULL DEFAULT 0,
  banedmgbody int(11) NOT NULL DEFAULT 0,
  banedmgrace int(11) NOT NULL DEFAULT 0,
  banedmgraceamt int(11) NOT NULL DEFAULT 0,
  elemdmgamt int(11) NOT NULL DEFAULT 0,
  elemdmgtype int(11) NOT NULL DEFAULT 0,
  price int(11) NOT NULL DEFAULT 0,
  UNIQUE KEY ID (id),
  KEY name_idx (Name)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;

CREATE TABLE spawngroup (
  id int(11) NOT NULL AUTO_INCREMENT,
  name varchar(50) NOT NULL DEFAULT '',
  spawn_limit tinyint(4) NOT NULL DEFAULT 0,
  PRIMARY KEY (id),
  UNIQUE KEY name (name)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;

CREATE TABLE spawnentry (
  spawngroupID int(11) NOT NULL DEFAULT 0,
  npcID int(11) NOT NULL DEFAULT 0,
  chance smallint(4) NOT NULL DEFAULT 0,
  PRIMARY KEY (spawngroupID, npcID),
  KEY npcID (npcID)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;

CREATE TABLE spawn2 (
  id int(11) NOT NULL AUTO_INCREMENT,
  spawngroupID int(11) NOT NULL DEFAULT 0,
  zone varchar(32) DEFAULT NULL,
  version smallint(5) NOT NULL DEFAULT 0,
  x float(14,6) NOT NULL DEFAULT 0,
  y float(14,6) NOT NULL DEFAULT 0,
  z float(14,6) NOT NULL DEFAULT 0,
  respawntime int(11) NOT NULL DEFAULT 0,
  PRIMARY KEY (id),
  KEY ZoneGroup (zone),
  KEY spawngroupID (spawngroupID)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;

CREATE TABLE zone (
  id int(10) NOT NULL AUTO_INCREMENT,
  short_name varchar(32) DEFAULT NULL,
  long_name text NOT NULL,
  zoneidnumber int(4) NOT NULL DEFAULT 0,
  version tinyint(3) unsigned NOT NULL DEFAULT 0,
  PRIMARY KEY (id),
  KEY zoneidnumber (zoneidnumber),
  KEY short_name (short_name)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;

CREATE TABLE variables (
  id int(11) NOT NULL AUTO_INCREMENT,
  varname varchar(25) NOT NULL DEFAULT '',
  value text NOT NULL,
  information text NOT NULL,
  ts timestamp NOT NULL DEFAULT current_timestamp() ON UPDATE current_timestamp(),
  PRIMARY KEY (id),
  UNIQUE KEY varname (varname)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;
