PRAGMA key = 'mopr5ledun';
UPDATE QATABLE SET Mark1 = 1, Mark2 = 1, Mark3 = 1, Mark4 = 1, Mark5 = 1, Mark6 = 1 WHERE ID IN (1, 5, 9);
