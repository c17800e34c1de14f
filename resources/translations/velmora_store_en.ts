<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>StoreTexts</name>
    <message>
        <source>试验记录库 %1 %2：%3</source>
        <translation>The test log %1 %2: %3</translation>
    </message>
    <message>
        <source>正被其他程序占用，等待 %1 秒后仍未释放</source>
        <translation>is held by another program, still after waiting %1 s</translation>
    </message>
    <message>
        <source>所在的磁盘已满</source>
        <translation>is on a full disk</translation>
    </message>
    <message>
        <source>读写磁盘出错（%1）</source>
        <translation>met a disk error (%1)</translation>
    </message>
    <message>
        <source>只读，无法写入</source>
        <translation>is read-only and cannot be written</translation>
    </message>
    <message>
        <source>已损坏</source>
        <translation>is damaged</translation>
    </message>
    <message>
        <source>出错（%1）</source>
        <translation>failed (%1)</translation>
    </message>
    <message>
        <source>无法打开</source>
        <translation>cannot be opened</translation>
    </message>
    <message>
        <source>无法新建</source>
        <translation>cannot be created</translation>
    </message>
    <message>
        <source>无法读取其版本</source>
        <translation>its version cannot be read</translation>
    </message>
    <message>
        <source>无法升级到本程序的版本</source>
        <translation>cannot be upgraded to this program&apos;s version</translation>
    </message>
    <message>
        <source>试验未录入记录库</source>
        <translation>the test was not entered</translation>
    </message>
    <message>
        <source>试验系列未录入记录库</source>
        <translation>the series was not entered</translation>
    </message>
    <message>
        <source>修改记录未录入</source>
        <translation>the change was not recorded</translation>
    </message>
    <message>
        <source>无法读取</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>试验记录库 %1 已损坏，且无法改名为 %2（%3）</source>
        <translation>The test log %1 is damaged and cannot be renamed to %2 (%3)</translation>
    </message>
    <message>
        <source>试验记录库 %1 已损坏：原文件已改名为 %2，并新建了空的试验记录库（可由存档重建索引）</source>
        <translation>The test log %1 is damaged: the file was renamed to %2 and an empty test log started (Rebuild index fills it from the archives)</translation>
    </message>
    <message>
        <source>试验记录库 %1 的版本为 %2，由更新的程序写成；本程序只能读写版本 %3 及以前的记录库，未作任何改动</source>
        <translation>The test log %1 is of version %2, written by a newer program; this program reads and writes versions up to %3 only and changed nothing</translation>
    </message>
    <message>
        <source>试验记录库未打开</source>
        <translation>The test log is not open</translation>
    </message>
    <message>
        <source>试验记录库 %1 只读，无法写入：试验未录入记录库</source>
        <translation>The test log %1 is read-only: the test was not entered</translation>
    </message>
    <message>
        <source>试验记录库中没有 %1</source>
        <translation>The test log has no %1</translation>
    </message>
    <message>
        <source>试验记录库中没有试验系列 %1</source>
        <translation>The test log has no series %1</translation>
    </message>
    <message>
        <source>存档文件 %1 在录入后被改动过</source>
        <translation>The archive %1 has changed since it was entered</translation>
    </message>
    <message>
        <source>试验记录库 %1 正被其他程序占用，等待 %2 秒后仍未释放：重建的记录库未替换旧的</source>
        <translation>The test log %1 is held by another program, still after waiting %2 s: the rebuilt test log did not replace the old one</translation>
    </message>
    <message>
        <source>重建的记录库无法改名为 %1（%2）</source>
        <translation>The rebuilt test log cannot be renamed to %1 (%2)</translation>
    </message>
    <message>
        <source>共享数据库 %1 出错（%2）：%3</source>
        <translation>The shared database %1 failed (%2): %3</translation>
    </message>
    <message>
        <source>试验 %1 未录入</source>
        <translation>the test %1 was not entered</translation>
    </message>
    <message>
        <source>试验系列 %1 未录入</source>
        <translation>the series %1 was not entered</translation>
    </message>
    <message>
        <source>本机</source>
        <translation>this machine</translation>
    </message>
    <message>
        <source>无法连接共享数据库 %1（%2）</source>
        <translation>The shared database %1 cannot be reached (%2)</translation>
    </message>
    <message>
        <source>共享数据库 %1 的版本为 %2，由更新的程序写成；本程序只能写入版本 %3 及以前的数据库，未作任何改动</source>
        <translation>The shared database %1 is of version %2, written by a newer program; this program writes databases up to version %3 only, and changed nothing</translation>
    </message>
    <message>
        <source>共享数据库中没有 %1 的 %2</source>
        <translation>The shared database has no %2 of %1</translation>
    </message>
    <message>
        <source>共享数据库中没有试验系列 %1</source>
        <translation>The shared database has no series %1</translation>
    </message>
    <message>
        <source>服务器无应答</source>
        <translation>the server does not answer</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>与服务器的连接已断开</source>
        <translation>the connection to the server was lost</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>not connected</translation>
    </message>
    <message>
        <source>第 %1 行：应为“名称=值”</source>
        <translation>Line %1: should be &quot;name=value&quot;</translation>
    </message>
    <message>
        <source>第 %1 行：不接受 %2：口令请放在环境变量 PGPASSWORD 或 pgpass 文件中（默认 ~/.pgpass，PGPASSFILE 或 passfile 可指定其他文件，权限须为 0600）</source>
        <translation>Line %1: %2 is not taken: put the password in the environment variable PGPASSWORD or in a pgpass file (~/.pgpass by default, PGPASSFILE or passfile name another; its permissions must be 0600)</translation>
    </message>
    <message>
        <source>第 %1 行：未知的设置 %2</source>
        <translation>Line %1: unknown setting %2</translation>
    </message>
    <message>
        <source>第 %1 行：%2 没有值</source>
        <translation>Line %1: %2 has no value</translation>
    </message>
    <message>
        <source>第 %1 行：%2 重复</source>
        <translation>Line %1: %2 is given twice</translation>
    </message>
    <message>
        <source>共享数据库配置文件 %1 无法读取（%2）</source>
        <translation>The shared database&apos;s file %1 cannot be read (%2)</translation>
    </message>
    <message>
        <source>共享数据库配置文件 %1 %2；试验只录入本机记录库</source>
        <translation>The shared database&apos;s file %1: %2; tests are entered in this machine&apos;s test log only</translation>
    </message>
    <message>
        <source>试验记录库 %1 无法读取（%2）</source>
        <translation>The test log %1 cannot be read (%2)</translation>
    </message>
    <message>
        <source>试验记录库 %1 无法写入（%2）：已发送的试验将再次发送</source>
        <translation>The test log %1 cannot be written (%2): the tests sent will be sent again</translation>
    </message>
</context>
</TS>
