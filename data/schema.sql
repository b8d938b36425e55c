-- Tables, keys, constraints, indexes and views of the household ledger.
-- Money columns hold exact ten-thousandths of a yuan as integers.
-- Dates are 'YYYY-MM-DD' text.

CREATE TABLE s_user (
  id       INTEGER PRIMARY KEY AUTOINCREMENT,
  sys_name TEXT NOT NULL UNIQUE CHECK (trim(sys_name) <> '' AND length(sys_name) <= 50),
  sys_pwd  TEXT NOT NULL DEFAULT ''
);

CREATE TABLE s_fenlei (
  id       INTEGER PRIMARY KEY AUTOINCREMENT,
  f_id     INTEGER NOT NULL DEFAULT 0,
  f_class  TEXT CHECK (f_class IS NULL OR f_class IN ('', 'S', 'Z')),
  f_name   TEXT NOT NULL UNIQUE CHECK (trim(f_name) <> '' AND length(f_name) <= 50),
  f_pinyin TEXT CHECK (f_pinyin IS NULL OR length(f_pinyin) <= 50),
  f_other  TEXT
);
CREATE INDEX idx_fenlei_parent ON s_fenlei (f_id);

CREATE TABLE z_zhanghu (
  id         INTEGER PRIMARY KEY AUTOINCREMENT,
  z_name     TEXT CHECK (z_name IS NULL OR length(z_name) <= 50),
  z_qcje     MONEY NOT NULL DEFAULT 0 CHECK (typeof(z_qcje) = 'integer'),
  z_shouru   MONEY NOT NULL DEFAULT 0 CHECK (typeof(z_shouru) = 'integer'),
  z_zhichu   MONEY NOT NULL DEFAULT 0 CHECK (typeof(z_zhichu) = 'integer'),
  z_jieru    MONEY NOT NULL DEFAULT 0 CHECK (typeof(z_jieru) = 'integer'),
  z_jiechu   MONEY NOT NULL DEFAULT 0 CHECK (typeof(z_jiechu) = 'integer'),
  z_zhuanru  MONEY NOT NULL DEFAULT 0 CHECK (typeof(z_zhuanru) = 'integer'),
  z_zhuanchu MONEY NOT NULL DEFAULT 0 CHECK (typeof(z_zhuanchu) = 'integer'),
  z_yue      MONEY NOT NULL DEFAULT 0 CHECK (typeof(z_yue) = 'integer'),
  z_other    TEXT
);

CREATE TABLE s_shouru (
  id          INTEGER PRIMARY KEY AUTOINCREMENT,
  f_fenleiid  INTEGER NOT NULL,
  s_jine      MONEY NOT NULL DEFAULT 0 CHECK (typeof(s_jine) = 'integer'),
  s_userid    INTEGER NOT NULL,
  s_other     TEXT CHECK (s_other IS NULL OR length(s_other) <= 250),
  s_zhanghuid INTEGER NOT NULL,
  s_date      DATE NOT NULL CHECK (s_date GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'),
  f_class     TEXT CHECK (f_class IS NULL OR f_class IN ('S', 'Z'))
);
-- Both indexes carry every column the joins of s_z_all need, so sums by
-- date range or by category never touch the table itself.
CREATE INDEX idx_shouru_date    ON s_shouru (s_date, f_fenleiid, s_userid, s_zhanghuid, s_jine);
CREATE INDEX idx_shouru_fenlei  ON s_shouru (f_fenleiid, s_userid, s_zhanghuid, s_jine);
CREATE INDEX idx_shouru_zhanghu ON s_shouru (s_zhanghuid, f_fenleiid, s_userid, s_jine);
CREATE INDEX idx_shouru_user    ON s_shouru (s_userid);

CREATE TABLE s_zhanghistory (
  id      INTEGER PRIMARY KEY AUTOINCREMENT,
  zh1     INTEGER NOT NULL,
  zh2     INTEGER NOT NULL,
  zdate   DATE NOT NULL CHECK (zdate GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'),
  zXmoney MONEY NOT NULL CHECK (typeof(zXmoney) = 'integer' AND zXmoney <> 0),
  other   TEXT CHECK (other IS NULL OR length(other) <= 250)
);
CREATE INDEX idx_zhanghistory_date ON s_zhanghistory (zdate);

CREATE TABLE s_jie (
  id           INTEGER PRIMARY KEY AUTOINCREMENT,
  j_class      TEXT NOT NULL CHECK (j_class IN ('S', 'Z')),
  j_date       DATE CHECK (j_date IS NULL OR j_date GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'),
  z_id         INTEGER,
  j_chuMoney   MONEY NOT NULL DEFAULT 0 CHECK (typeof(j_chuMoney) = 'integer'),
  j_ruMoney    MONEY NOT NULL DEFAULT 0 CHECK (typeof(j_ruMoney) = 'integer'),
  j_yuMoney    MONEY NOT NULL DEFAULT 0 CHECK (typeof(j_yuMoney) = 'integer'),
  j_shoudate   DATE CHECK (j_shoudate IS NULL OR j_shoudate GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'),
  j_jiege      TEXT CHECK (j_jiege IS NULL OR length(j_jiege) <= 50),
  j_jiekuanren TEXT CHECK (j_jiekuanren IS NULL OR length(j_jiekuanren) <= 50),
  j_other      TEXT CHECK (j_other IS NULL OR length(j_other) <= 250)
);
CREATE INDEX idx_jie_class ON s_jie (j_class, z_id);

CREATE TABLE s_yushuan (
  id      INTEGER PRIMARY KEY AUTOINCREMENT,
  f_id    INTEGER NOT NULL,
  y_money MONEY NOT NULL DEFAULT 0 CHECK (typeof(y_money) = 'integer'),
  y_x     TEXT CHECK (y_x IS NULL OR length(y_x) <= 50)
);
CREATE INDEX idx_yushuan_fenlei ON s_yushuan (f_id);

CREATE TABLE notebook (
  id     INTEGER PRIMARY KEY AUTOINCREMENT,
  n_date DATE CHECK (n_date IS NULL OR n_date GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'),
  n_info TEXT
);
CREATE INDEX idx_notebook_date ON notebook (n_date);

CREATE TABLE sys_sys (
  id      INTEGER PRIMARY KEY,
  isuser  TEXT,
  ispwd   TEXT,
  isji    INTEGER NOT NULL DEFAULT 0,
  skinx   TEXT,
  daytxt  TEXT
);

-- Scratch tables: emptied and refilled by the operation that reads them.
CREATE TABLE x_shou (xmoney MONEY NOT NULL DEFAULT 0 CHECK (typeof(xmoney) = 'integer'), xid INTEGER);
CREATE TABLE x_zhi  (xmoney MONEY NOT NULL DEFAULT 0 CHECK (typeof(xmoney) = 'integer'), xid INTEGER);
CREATE TABLE x_chu  (xmoney MONEY NOT NULL DEFAULT 0 CHECK (typeof(xmoney) = 'integer'), xid INTEGER);
CREATE TABLE x_jie  (xmoney MONEY NOT NULL DEFAULT 0 CHECK (typeof(xmoney) = 'integer'), xid INTEGER);
CREATE TABLE x_zr   (xmoney MONEY NOT NULL DEFAULT 0 CHECK (typeof(xmoney) = 'integer'), xid INTEGER);
CREATE TABLE x_zc   (xmoney MONEY NOT NULL DEFAULT 0 CHECK (typeof(xmoney) = 'integer'), xid INTEGER);
CREATE TABLE s_ls (
  s_date DATE,
  s_a    MONEY NOT NULL DEFAULT 0 CHECK (typeof(s_a) = 'integer'),
  s_b    MONEY NOT NULL DEFAULT 0 CHECK (typeof(s_b) = 'integer')
);
CREATE TABLE s_renls (
  sdate TEXT CHECK (sdate IS NULL OR length(sdate) <= 50),
  sname TEXT CHECK (sname IS NULL OR length(sname) <= 100),
  s_s   MONEY NOT NULL DEFAULT 0 CHECK (typeof(s_s) = 'integer'),
  s_z   MONEY NOT NULL DEFAULT 0 CHECK (typeof(s_z) = 'integer')
);

-- Views. v_fenlei and s_z_all have the program's fixed definitions; the two
-- report views use the same inner joins, so every report agrees with every list.
Create View v_fenlei as SELECT s_fenlei_x.f_class, s_fenlei.id, s_fenlei.f_id, s_fenlei.f_name, s_fenlei.f_pinyin, s_fenlei.f_other, s_fenlei_x.f_name AS ff_name FROM s_fenlei INNER JOIN s_fenlei as s_fenlei_x ON s_fenlei.f_id = s_fenlei_x.id;

Create View s_z_all as SELECT v_fenlei.f_name, s_user.Sys_name, z_zhanghu.z_name, s_shouru.id, s_shouru.s_jine, s_shouru.s_userid, s_shouru.s_other, s_shouru.s_date, s_shouru.s_zhanghuid, v_fenlei.f_class FROM ((s_shouru INNER JOIN v_fenlei ON s_shouru.f_fenleiid = v_fenlei.id) INNER JOIN s_user ON s_shouru.s_userid = s_user.id) INNER JOIN z_zhanghu ON s_shouru.s_zhanghuid = z_zhanghu.id;

CREATE VIEW v_flbb AS
SELECT p.f_name AS dfenlei, c.f_name AS xfenlei, p.id AS f_id, p.f_class AS f_class,
       s_shouru.s_date AS s_date, s_shouru.s_jine AS s_jine, s_shouru.id AS id,
       c.id AS xid
FROM s_shouru
  INNER JOIN s_fenlei AS c ON s_shouru.f_fenleiid = c.id
  INNER JOIN s_fenlei AS p ON c.f_id = p.id
  INNER JOIN s_user ON s_shouru.s_userid = s_user.id
  INNER JOIN z_zhanghu ON s_shouru.s_zhanghuid = z_zhanghu.id;

CREATE VIEW s_ys AS
SELECT p.id AS xid, p.f_name AS f_name, s_shouru.s_jine AS s_jine, s_shouru.s_date AS s_date
FROM s_shouru
  INNER JOIN s_fenlei AS c ON s_shouru.f_fenleiid = c.id
  INNER JOIN s_fenlei AS p ON c.f_id = p.id
  INNER JOIN s_user ON s_shouru.s_userid = s_user.id
  INNER JOIN z_zhanghu ON s_shouru.s_zhanghuid = z_zhanghu.id
WHERE p.f_class = 'Z';
