-- The rows the delivered database starts with.

INSERT INTO sys_sys (id, isuser, ispwd, isji, skinx, daytxt)
VALUES (1, '', '', 0, '1', '记账是一种好习惯，每天记一笔，家庭财务心中有数。');

-- The default member (id 1) cannot be deleted.
INSERT INTO s_user (id, sys_name, sys_pwd) VALUES (1, 'admin', 'admin');

INSERT INTO z_zhanghu (id, z_name, z_qcje, z_other) VALUES
  (1, '现金',   20000000, '钱包里的现金'),
  (2, '工资卡', 100000000, '工资到账的银行卡'),
  (3, '信用卡', 0, '');

-- Expenditure: top level (f_id 0) with their sub-categories.
INSERT INTO s_fenlei (id, f_id, f_class, f_name, f_pinyin) VALUES
  (1, 0, 'Z', '餐饮', NULL),
  (2, 0, 'Z', '日常用品', NULL),
  (3, 0, 'Z', '交通通讯', NULL),
  (4, 0, 'Z', '居家生活', NULL),
  (5, 0, 'Z', '医疗教育', NULL),
  (6, 0, 'Z', '休闲娱乐', NULL),
  (7, 0, 'Z', '人情往来', NULL),
  (20, 0, 'S', '职业收入', NULL),
  (21, 0, 'S', '其他收入', NULL);

INSERT INTO s_fenlei (f_id, f_class, f_name, f_pinyin) VALUES
  (1, 'Z', '早餐', 'zc'),
  (1, 'Z', '午餐', 'wc'),
  (1, 'Z', '晚餐', 'wc'),
  (1, 'Z', '水果零食', 'sgls'),
  (2, 'Z', '日用品', 'ryp'),
  (2, 'Z', '服装鞋帽', 'fzxm'),
  (2, 'Z', '化妆品', 'hzp'),
  (3, 'Z', '公交地铁', 'gjdt'),
  (3, 'Z', '打车', 'dc'),
  (3, 'Z', '加油', 'jy'),
  (3, 'Z', '话费', 'hf'),
  (4, 'Z', '水电燃气', 'sdrq'),
  (4, 'Z', '房租物业', 'fzwy'),
  (4, 'Z', '网费', 'wf'),
  (5, 'Z', '医药', 'yy'),
  (5, 'Z', '学费', 'xf'),
  (5, 'Z', '书籍', 'sj'),
  (6, 'Z', '电影', 'dy'),
  (6, 'Z', '旅游', 'ly'),
  (6, 'Z', 'KTV', ''),
  (7, 'Z', '礼金', 'lj'),
  (7, 'Z', '请客', 'qk'),
  (20, 'S', '工资', 'gz'),
  (20, 'S', '奖金', 'jj'),
  (20, 'S', '加班费', 'jbf'),
  (21, 'S', '利息', 'lx'),
  (21, 'S', '礼金收入', 'ljsr'),
  (21, 'S', '兼职', 'jz');

-- A monthly budget row for every top-level expenditure category.
INSERT INTO s_yushuan (f_id, y_money, y_x) VALUES
  (1, 15000000, ''),
  (2, 5000000, ''),
  (3, 4000000, ''),
  (4, 20000000, ''),
  (5, 3000000, ''),
  (6, 5000000, ''),
  (7, 3000000, '');
