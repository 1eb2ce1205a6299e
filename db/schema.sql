-- data.mdb: the shop's one database file, at the newest version (user_version). An older file is
-- brought here by the numbered steps of src/store/Upgrades.cpp, which must end in the same tables,
-- columns and indexes (a test compares them). Run once to make a fresh data.mdb: by the program when
-- it makes a user's data folder on the first start, or by hand with sqlite3. Apart from the upgrade
-- steps, nothing else creates or alters tables.
PRAGMA journal_mode = WAL;
PRAGMA user_version = 7;

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

-- The history summed per calendar day (the first ten characters of 时间) and cashier, kept by the
-- triggers below in the transaction of every write to xstj and xsfk: rtj the entries (退货 1 for
-- returns), rfk what they were paid by, in fen (an entry whose number has no xsfk rows counts its
-- 折后 as cash). A list of the whole history, or by cashier, is counted and summed from these.
CREATE TABLE rtj (
    日期 TEXT CHECK (length(日期) <= 10),
    收银员 TEXT CHECK (length(收银员) <= 50),
    退货 INTEGER NOT NULL,
    笔数 INTEGER NOT NULL,
    数量 REAL NOT NULL,
    金额 REAL NOT NULL,
    折后 REAL NOT NULL
) STRICT;

CREATE TABLE rfk (
    日期 TEXT CHECK (length(日期) <= 10),
    收银员 TEXT CHECK (length(收银员) <= 50),
    方式 TEXT NOT NULL CHECK (方式 IN ('现金', '微信', '支付宝', '银行卡')),
    笔数 INTEGER NOT NULL,
    金额 INTEGER NOT NULL
) STRICT;

-- Adding to a day's row goes through a view: the one place a row is made, added to and, once it
-- counts nothing, removed. Keys may be NULL (a sale without time or cashier), hence IS.
CREATE VIEW rtj_add AS SELECT 日期, 收银员, 退货, 笔数, 数量, 金额, 折后 FROM rtj;

CREATE TRIGGER rtj_add_row INSTEAD OF INSERT ON rtj_add BEGIN
    INSERT INTO rtj SELECT NEW.日期, NEW.收银员, NEW.退货, 0, 0, 0, 0 WHERE NOT EXISTS (SELECT 1 FROM rtj WHERE 日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 退货 = NEW.退货);
    UPDATE rtj SET 笔数 = 笔数 + NEW.笔数, 数量 = 数量 + NEW.数量, 金额 = 金额 + NEW.金额, 折后 = 折后 + NEW.折后 WHERE 日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 退货 = NEW.退货;
    DELETE FROM rtj WHERE 日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 退货 = NEW.退货 AND 笔数 = 0;
END;

CREATE VIEW rfk_add AS SELECT 日期, 收银员, 方式, 笔数, 金额 FROM rfk;

CREATE TRIGGER rfk_add_row INSTEAD OF INSERT ON rfk_add BEGIN
    INSERT INTO rfk SELECT NEW.日期, NEW.收银员, NEW.方式, 0, 0 WHERE NOT EXISTS (SELECT 1 FROM rfk WHERE 日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 方式 = NEW.方式);
    UPDATE rfk SET 笔数 = 笔数 + NEW.笔数, 金额 = 金额 + NEW.金额 WHERE 日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 方式 = NEW.方式;
    DELETE FROM rfk WHERE 日期 IS NEW.日期 AND 收银员 IS NEW.收银员 AND 方式 = NEW.方式 AND 笔数 = 0;
END;

-- What each write to the history adds or takes away: an entry its own sums and its payments (or
-- its cash); the first payment of a number replaces that cash, the last one gone brings it back.
CREATE TRIGGER xstj_totals_insert AFTER INSERT ON xstj BEGIN
    INSERT INTO rtj_add VALUES (substr(NEW.时间, 1, 10), NEW.收银员, NEW.原单号 IS NOT NULL, + 1, + coalesce(NEW.数量, 0), + coalesce(NEW.金额, 0), + coalesce(NEW.折后, 0));
    INSERT INTO rfk_add SELECT substr(NEW.时间, 1, 10), NEW.收银员, 方式, + 1, + 金额 FROM xsfk WHERE 单号 = NEW.单号;
    INSERT INTO rfk_add SELECT substr(NEW.时间, 1, 10), NEW.收银员, '现金', + 1, + CAST(round(coalesce(NEW.折后, 0) * 100) AS INTEGER) WHERE NOT EXISTS (SELECT 1 FROM xsfk WHERE 单号 = NEW.单号);
END;

CREATE TRIGGER xstj_totals_delete AFTER DELETE ON xstj BEGIN
    INSERT INTO rtj_add VALUES (substr(OLD.时间, 1, 10), OLD.收银员, OLD.原单号 IS NOT NULL, - 1, - coalesce(OLD.数量, 0), - coalesce(OLD.金额, 0), - coalesce(OLD.折后, 0));
    INSERT INTO rfk_add SELECT substr(OLD.时间, 1, 10), OLD.收银员, 方式, - 1, - 金额 FROM xsfk WHERE 单号 = OLD.单号;
    INSERT INTO rfk_add SELECT substr(OLD.时间, 1, 10), OLD.收银员, '现金', - 1, - CAST(round(coalesce(OLD.折后, 0) * 100) AS INTEGER) WHERE NOT EXISTS (SELECT 1 FROM xsfk WHERE 单号 = OLD.单号);
END;

CREATE TRIGGER xstj_totals_update AFTER UPDATE OF 单号, 时间, 数量, 金额, 折后, 收银员, 原单号 ON xstj BEGIN
    INSERT INTO rtj_add VALUES (substr(OLD.时间, 1, 10), OLD.收银员, OLD.原单号 IS NOT NULL, - 1, - coalesce(OLD.数量, 0), - coalesce(OLD.金额, 0), - coalesce(OLD.折后, 0));
    INSERT INTO rfk_add SELECT substr(OLD.时间, 1, 10), OLD.收银员, 方式, - 1, - 金额 FROM xsfk WHERE 单号 = OLD.单号;
    INSERT INTO rfk_add SELECT substr(OLD.时间, 1, 10), OLD.收银员, '现金', - 1, - CAST(round(coalesce(OLD.折后, 0) * 100) AS INTEGER) WHERE NOT EXISTS (SELECT 1 FROM xsfk WHERE 单号 = OLD.单号);
    INSERT INTO rtj_add VALUES (substr(NEW.时间, 1, 10), NEW.收银员, NEW.原单号 IS NOT NULL, + 1, + coalesce(NEW.数量, 0), + coalesce(NEW.金额, 0), + coalesce(NEW.折后, 0));
    INSERT INTO rfk_add SELECT substr(NEW.时间, 1, 10), NEW.收银员, 方式, + 1, + 金额 FROM xsfk WHERE 单号 = NEW.单号;
    INSERT INTO rfk_add SELECT substr(NEW.时间, 1, 10), NEW.收银员, '现金', + 1, + CAST(round(coalesce(NEW.折后, 0) * 100) AS INTEGER) WHERE NOT EXISTS (SELECT 1 FROM xsfk WHERE 单号 = NEW.单号);
END;

CREATE TRIGGER xsfk_totals_insert AFTER INSERT ON xsfk BEGIN
    INSERT INTO rfk_add SELECT substr(时间, 1, 10), 收银员, '现金', - 1, - CAST(round(coalesce(折后, 0) * 100) AS INTEGER) FROM xstj WHERE 单号 = NEW.单号 AND (SELECT count(*) FROM xsfk WHERE 单号 = NEW.单号) = 1;
    INSERT INTO rfk_add SELECT substr(时间, 1, 10), 收银员, NEW.方式, + 1, + NEW.金额 FROM xstj WHERE 单号 = NEW.单号;
END;

CREATE TRIGGER xsfk_totals_delete AFTER DELETE ON xsfk BEGIN
    INSERT INTO rfk_add SELECT substr(时间, 1, 10), 收银员, OLD.方式, - 1, - OLD.金额 FROM xstj WHERE 单号 = OLD.单号;
    INSERT INTO rfk_add SELECT substr(时间, 1, 10), 收银员, '现金', + 1, + CAST(round(coalesce(折后, 0) * 100) AS INTEGER) FROM xstj WHERE 单号 = OLD.单号 AND NOT EXISTS (SELECT 1 FROM xsfk WHERE 单号 = OLD.单号);
END;

CREATE TRIGGER xsfk_totals_update AFTER UPDATE OF 单号, 方式, 金额 ON xsfk BEGIN
    INSERT INTO rfk_add SELECT substr(时间, 1, 10), 收银员, OLD.方式, - 1, - OLD.金额 FROM xstj WHERE 单号 = OLD.单号;
    INSERT INTO rfk_add SELECT substr(时间, 1, 10), 收银员, '现金', + 1, + CAST(round(coalesce(折后, 0) * 100) AS INTEGER) FROM xstj WHERE 单号 = OLD.单号 AND OLD.单号 <> NEW.单号 AND NOT EXISTS (SELECT 1 FROM xsfk WHERE 单号 = OLD.单号);
    INSERT INTO rfk_add SELECT substr(时间, 1, 10), 收银员, '现金', - 1, - CAST(round(coalesce(折后, 0) * 100) AS INTEGER) FROM xstj WHERE 单号 = NEW.单号 AND OLD.单号 <> NEW.单号 AND (SELECT count(*) FROM xsfk WHERE 单号 = NEW.单号) = 1;
    INSERT INTO rfk_add SELECT substr(时间, 1, 10), 收银员, NEW.方式, + 1, + NEW.金额 FROM xstj WHERE 单号 = NEW.单号;
END;

-- The goods sold per day (退货 1 for return lines), kept by the triggers below on every write to
-- xsmx, in fen as each line's 折后 rounds: a report by goods over years reads these.
CREATE TABLE rsp (
    日期 TEXT CHECK (length(日期) <= 10),
    品名 TEXT CHECK (length(品名) <= 255),
    退货 INTEGER NOT NULL,
    行数 INTEGER NOT NULL,
    数量 REAL NOT NULL,
    折后 INTEGER NOT NULL
) STRICT;

CREATE VIEW rsp_add AS SELECT 日期, 品名, 退货, 行数, 数量, 折后 FROM rsp;

CREATE TRIGGER rsp_add_row INSTEAD OF INSERT ON rsp_add BEGIN
    INSERT INTO rsp SELECT NEW.日期, NEW.品名, NEW.退货, 0, 0, 0 WHERE NOT EXISTS (SELECT 1 FROM rsp WHERE 日期 IS NEW.日期 AND 品名 IS NEW.品名 AND 退货 = NEW.退货);
    UPDATE rsp SET 行数 = 行数 + NEW.行数, 数量 = 数量 + NEW.数量, 折后 = 折后 + NEW.折后 WHERE 日期 IS NEW.日期 AND 品名 IS NEW.品名 AND 退货 = NEW.退货;
    DELETE FROM rsp WHERE 日期 IS NEW.日期 AND 品名 IS NEW.品名 AND 退货 = NEW.退货 AND 行数 = 0;
END;

CREATE TRIGGER xsmx_totals_insert AFTER INSERT ON xsmx BEGIN
    INSERT INTO rsp_add VALUES (substr(NEW.时间, 1, 10), NEW.品名, NEW.原行 IS NOT NULL, + 1, + coalesce(NEW.数量, 0), + CAST(round(coalesce(NEW.折后, 0) * 100) AS INTEGER));
END;

CREATE TRIGGER xsmx_totals_delete AFTER DELETE ON xsmx BEGIN
    INSERT INTO rsp_add VALUES (substr(OLD.时间, 1, 10), OLD.品名, OLD.原行 IS NOT NULL, - 1, - coalesce(OLD.数量, 0), - CAST(round(coalesce(OLD.折后, 0) * 100) AS INTEGER));
END;

CREATE TRIGGER xsmx_totals_update AFTER UPDATE OF 时间, 品名, 数量, 折后, 原行 ON xsmx BEGIN
    INSERT INTO rsp_add VALUES (substr(OLD.时间, 1, 10), OLD.品名, OLD.原行 IS NOT NULL, - 1, - coalesce(OLD.数量, 0), - CAST(round(coalesce(OLD.折后, 0) * 100) AS INTEGER));
    INSERT INTO rsp_add VALUES (substr(NEW.时间, 1, 10), NEW.品名, NEW.原行 IS NOT NULL, + 1, + coalesce(NEW.数量, 0), + CAST(round(coalesce(NEW.折后, 0) * 100) AS INTEGER));
END;

-- The history is read in time order, one sale's lines by number, and distinct numbers for the query list.
CREATE INDEX xstj_时间 ON xstj (时间);
CREATE INDEX xstj_单号 ON xstj (单号);
CREATE INDEX xstj_收银员 ON xstj (收银员);
CREATE INDEX xstj_原单号 ON xstj (原单号) WHERE 原单号 IS NOT NULL;
CREATE INDEX xstj_退货时间 ON xstj (时间, 单号, 收银员, 折后, 原单号) WHERE 原单号 IS NOT NULL;
CREATE INDEX xsmx_单号 ON xsmx (单号);
CREATE INDEX xsfk_单号 ON xsfk (单号);
CREATE INDEX jb_收银员 ON jb (收银员);
CREATE INDEX spxx_品名 ON spxx (品名);
CREATE UNIQUE INDEX spxx_条码 ON spxx (条码) WHERE 条码 IS NOT NULL AND 条码 <> '';
CREATE UNIQUE INDEX rtj_日期 ON rtj (日期, 收银员, 退货);
CREATE UNIQUE INDEX rfk_日期 ON rfk (日期, 收银员, 方式);
CREATE UNIQUE INDEX rsp_日期 ON rsp (日期, 品名, 退货);

INSERT INTO username (用户名, 密码, 权限) VALUES ('admin', '', '管理员');
INSERT INTO id (pos, print, 客户, 电话) VALUES ('58', '1', '1', '1');
INSERT INTO dynr (店名, 备注) VALUES ('Quorvel便利店', '谢谢惠顾，欢迎下次光临！');

COMMIT;
