-- data.mdb: the shop's one database file, at the newest version (user_version). An older file is
-- brought here by the numbered steps of src/store/Upgrades.cpp, which must end in the same tables,
-- columns and indexes (a test compares them). Run once to make a fresh data.mdb: by the program when
-- it makes a user's data folder on the first start, or by hand with sqlite3. Apart from the upgrade
-- steps, nothing else creates or alters tables.
PRAGMA journal_mode = WAL;
PRAGMA user_version = 2;

BEGIN;

-- Goods catalogue; 条码 is what a scanner reads off the goods, unique where given.
CREATE TABLE spxx (
    品名 TEXT CHECK (length(品名) <= 255),
    单价 REAL,
    条码 TEXT CHECK (length(条码) <= 32)
) STRICT;

-- Lines of the sale being entered.
CREATE TABLE xsxx (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    单号 TEXT CHECK (length(单号) <= 50),
    时间 TEXT CHECK (length(时间) <= 50),
    客户 TEXT CHECK (length(客户) <= 255),
    电话 TEXT CHECK (length(电话) <= 255),
    品名 TEXT CHECK (length(品名) <= 255),
    单价 REAL,
    数量 REAL,
    金额 REAL,
    折后 REAL,
    备注 TEXT CHECK (length(备注) <= 255)
) STRICT;

-- Print content: shop name and remark printed on every receipt (one row).
CREATE TABLE dynr (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    店名 TEXT CHECK (length(店名) <= 255),
    备注 TEXT CHECK (length(备注) <= 255)
) STRICT;

-- Sales history: one row per printed sale.
CREATE TABLE xstj (
    单号 TEXT CHECK (length(单号) <= 50),
    时间 TEXT CHECK (length(时间) <= 50),
    数量 REAL,
    金额 REAL,
    折后 REAL,
    收银员 TEXT CHECK (length(收银员) <= 50)
) STRICT;

-- Sales history lines: one row per line of a printed sale.
CREATE TABLE xsmx (
    单号 TEXT CHECK (length(单号) <= 50),
    时间 TEXT CHECK (length(时间) <= 50),
    客户 TEXT CHECK (length(客户) <= 255),
    电话 TEXT CHECK (length(电话) <= 255),
    品名 TEXT CHECK (length(品名) <= 255),
    单价 REAL,
    数量 REAL,
    金额 REAL,
    折后 REAL
) STRICT;

-- Print settings (one row): receipt width, copies, customer and phone switches.
CREATE TABLE id (
    pos TEXT CHECK (length(pos) <= 50),
    print TEXT CHECK (length(print) <= 50),
    客户 TEXT CHECK (length(客户) <= 50),
    电话 TEXT CHECK (length(电话) <= 50)
) STRICT;

-- User accounts; 密码 holds an Argon2id hash, or empty text for the empty password.
CREATE TABLE username (
    用户名 TEXT CHECK (length(用户名) <= 50),
    密码 TEXT CHECK (length(密码) <= 255),
    权限 TEXT CHECK (length(权限) <= 50)
) STRICT;

-- The program's own settings, one value a name.
CREATE TABLE xtsz (
    项目 TEXT PRIMARY KEY CHECK (length(项目) <= 50),
    值 TEXT CHECK (length(值) <= 255)
) STRICT;

-- The history is read in time order, one sale's lines by number, and distinct numbers for the query list.
CREATE INDEX xstj_时间 ON xstj (时间);
CREATE INDEX xstj_单号 ON xstj (单号);
CREATE INDEX xstj_收银员 ON xstj (收银员);
CREATE INDEX xsmx_单号 ON xsmx (单号);
CREATE INDEX spxx_品名 ON spxx (品名);
CREATE UNIQUE INDEX spxx_条码 ON spxx (条码) WHERE 条码 IS NOT NULL AND 条码 <> '';

INSERT INTO username (用户名, 密码, 权限) VALUES ('admin', '', '管理员');
INSERT INTO id (pos, print, 客户, 电话) VALUES ('58', '1', '1', '1');
INSERT INTO dynr (店名, 备注) VALUES ('Quorvel便利店', '谢谢惠顾，欢迎下次光临！');

COMMIT;
