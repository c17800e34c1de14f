<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CTestLogModel</name>
    <message>
        <source>有效</source>
        <translation>Valid</translation>
    </message>
    <message>
        <source>无效：</source>
        <translation>Invalid: </translation>
    </message>
    <message>
        <source>保存时间</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>试验名称</source>
        <translation>Test name</translation>
    </message>
    <message>
        <source>系列</source>
        <translation>Series</translation>
    </message>
    <message>
        <source>试样</source>
        <translation>Specimen</translation>
    </message>
    <message>
        <source>操作者</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>试验机</source>
        <translation>Rig</translation>
    </message>
    <message>
        <source>有效性</source>
        <translation>Validity</translation>
    </message>
</context>
<context>
    <name>CTestLogWnd</name>
    <message>
        <source>试验记录</source>
        <translation>Test log</translation>
    </message>
    <message>
        <source>试验名称、系列、材料或操作者</source>
        <translation>Test name, series, material or operator</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>保存日期</source>
        <translation>Saved between</translation>
    </message>
    <message>
        <source>至</source>
        <translation>and</translation>
    </message>
    <message>
        <source>试验结果</source>
        <translation>Test results</translation>
    </message>
    <message>
        <source>系列结果</source>
        <translation>Series results</translation>
    </message>
    <message>
        <source>打开所在文件夹</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>重建索引</source>
        <translation>Rebuild index</translation>
    </message>
    <message>
        <source>试验记录库无法读取：</source>
        <translation>The test log cannot be read: </translation>
    </message>
    <message>
        <source>列出最新的 %1 条，请缩小查找范围</source>
        <translation>The newest %1 listed; narrow the search</translation>
    </message>
    <message>
        <source>共 %1 条</source>
        <translation>%1 tests</translation>
    </message>
    <message>
        <source>：存档与登记时不符（SHA-256 不同或无法读取）</source>
        <translation>: the archive differs from when it was entered (SHA-256 differs or cannot be read)</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>正在从数据文件夹重建试验记录库……</source>
        <translation>Rebuilding the test log from the data folder…</translation>
    </message>
    <message>
        <source>已登记 %1 个试验、%2 个系列。</source>
        <translation>%1 tests and %2 series entered.</translation>
    </message>
    <message>
        <source>试验记录库没有重建：</source>
        <translation>The test log was not rebuilt: </translation>
    </message>
    <message>
        <source>
未能登记 %1 个文件：</source>
        <translation>
%1 files could not be entered:</translation>
    </message>
</context>
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
</context>
</TS>
