-- Fills a fresh data.mdb with :N sales of three lines each, about 2.6 minutes apart, so ten years
-- of a busy shop give 2,000,000 sales. Run as: sed s/:N/2000000/g generate_history.sql | sqlite3 FILE
PRAGMA journal_mode = WAL;
PRAGMA synchronous = OFF;
BEGIN;
CREATE TEMP TABLE goods (k INTEGER PRIMARY KEY, name TEXT, price REAL);
INSERT INTO goods VALUES (0,'矿泉水',2),(1,'可乐',3.5),(2,'方便面',4.5),(3,'薯片',6.8),(4,'牛奶',5.5),(5,'面包',7.9),
  (6,'鸡蛋',12.5),(7,'大米5kg',39.9),(8,'食用油',59.8),(9,'酱油',9.9),(10,'纸巾',15),(11,'洗衣液',29.9),
  (12,'牙膏',12.8),(13,'香皂',4.5),(14,'苹果',8.6),(15,'香蕉',5.98),(16,'饼干',6.5),(17,'啤酒',4),(18,'口香糖',2.5),
  (19,'电池',10);
CREATE TEMP TABLE cashiers (k INTEGER PRIMARY KEY, name TEXT);
INSERT INTO cashiers VALUES (0,'admin'),(1,'张三'),(2,'李四'),(3,'王小红'),(4,'赵敏');
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < :N - 1)
INSERT INTO xsmx (单号, 时间, 客户, 电话, 品名, 单价, 数量, 金额, 折后)
SELECT strftime('%Y%m%d%H%M%S', 1481270400 + i * 157, 'unixepoch'),
       strftime('%Y-%m-%d %H:%M:%S', 1481270400 + i * 157, 'unixepoch'),
       '', '', g.name, g.price, 1 + (i % 3), g.price * (1 + (i % 3)), g.price * (1 + (i % 3))
FROM n JOIN (SELECT 0 AS j UNION ALL SELECT 1 UNION ALL SELECT 2) AS line
JOIN goods AS g ON g.k = (n.i * 7 + line.j * 3) % 20
ORDER BY n.i, line.j;
INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员)
SELECT 单号, 时间, sum(数量), round(sum(金额), 2), round(sum(折后), 2),
       (SELECT name FROM cashiers WHERE k = (CAST(substr(单号, 11, 2) AS INTEGER) % 5))
FROM xsmx GROUP BY 单号 ORDER BY 单号;
COMMIT;
PRAGMA synchronous = FULL;
ANALYZE;
