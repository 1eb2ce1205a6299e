-- data.mdb: the shop's one database file, at the newest version (user_version). An older file is
-- brought here by the numbered steps of src/store/Upgrades.cpp, which must end in the same tables,
-- columns and indexes (a test compares them). Run once to make a fresh data.mdb: by the program when
-- it makes a user's data folder on the first start, or by hand with sqlite3. Apart from the upgrade
-- steps, nothing else creates or alters tables.
PRAGMA journal_mode = WAL;
PRAGMA user_version = 4;

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

-- Sales history: one row per printed sale. A return is a row of its own with negative amounts;
-- 原单号 is the sale it takes back and 授权人 the administrator who allowed a cashier's return.
CREATE TABLE xstj (
    单号 TEXT CHECK (length(单号) <= 50),
    时间 TEXT CHECK (length(时间) <= 50),
    数量 REAL,
    金额 REAL,
    折后 REAL,
    收银员 TEXT CHECK (length(收银员) <= 50),
    原单号 TEXT CHECK (length(原单号) <= 50),
    授权人 TEXT CHECK (length(授权人) <= 50)
) STRICT;

-- Sales history lines: one row per line of a printed sale; a return line's 原行 is the rowid of the
-- sold line it takes back.
CREATE TABLE xsmx (
    单号 TEXT CHECK (length(单号) <= 50),
    时间 TEXT CHECK (length(时间) <= 50),
    客户 TEXT CHECK (length(客户) <= 255),
    电话 TEXT CHECK (length(电话) <= 255),
    品名 TEXT CHECK (length(品名) <= 255),
    单价 REAL,
    数量 REAL,
    金额 REAL,
    折后 REAL,
    原行 INTEGER
) STRICT;

-- How each sale was paid, one row a payment, in fen (a split has two; a refund is negative).
-- 实收 and 找零 are kept for cash only. Sales without rows here were paid in cash.
CREATE TABLE xsfk (
    单号 TEXT NOT NULL CHECK (length(单号) <= 50),
    方式 TEXT NOT NULL CHECK (方式 IN ('现金', '微信', '支付宝', '银行卡')),
    金额 INTEGER NOT NULL,
    实收 INTEGER,
    找零 INTEGER
) STRICT;

-- Shift handovers (交班), one row a shift of a cashier: the open shift has no 结束 yet and keeps
-- the float typed for it. Money in fen; 差额 is the counted cash less the cash expected; 末行 is the
-- last xstj rowid at the handover (an entry recorded later but dated earlier is the next shift's).
CREATE TABLE jb (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    收银员 TEXT NOT NULL CHECK (length(收银员) <= 50),
    开始 TEXT NOT NULL CHECK (length(开始) <= 50),
    结束 TEXT CHECK (length(结束) <= 50),
    笔数 INTEGER,
    收款 INTEGER,
    退款 INTEGER,
    备用金 INTEGER NOT NULL DEFAULT 0,
    应有现金 INTEGER,
    实点现金 INTEGER,
    差额 INTEGER,
    末行 INTEGER
) STRICT;

-- Day closes (日结): Z号 never repeats; a business day runs from the previous close's 结束 up to
-- (not including) its own, with what was recorded after the previous close but dated before it
-- (末行: the last xstj rowid at the close). 报表 holds the report as it was printed, so it never changes.
CREATE TABLE rj (
    Z号 INTEGER PRIMARY KEY AUTOINCREMENT,
    开始 TEXT NOT NULL CHECK (length(开始) <= 50),
    结束 TEXT NOT NULL CHECK (length(结束) <= 50),
    末行 INTEGER,
    操作员 TEXT CHECK (length(操作员) <= 50),
    笔数 INTEGER,
    金额 INTEGER,
    报表 TEXT NOT NULL
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
CREATE INDEX xstj_原单号 ON xstj (原单号) WHERE 原单号 IS NOT NULL;
CREATE INDEX xsmx_单号 ON xsmx (单号);
CREATE INDEX xsfk_单号 ON xsfk (单号);
CREATE INDEX jb_收银员 ON jb (收银员);
CREATE INDEX spxx_品名 ON spxx (品名);
CREATE UNIQUE INDEX spxx_条码 ON spxx (条码) WHERE 条码 IS NOT NULL AND 条码 <> '';

INSERT INTO username (用户名, 密码, 权限) VALUES ('admin', '', '管理员');
INSERT INTO id (pos, print, 客户, 电话) VALUES ('58', '1', '1', '1');
INSERT INTO dynr (店名, 备注) VALUES ('Quorvel便利店', '谢谢惠顾，欢迎下次光临！');

COMMIT;
