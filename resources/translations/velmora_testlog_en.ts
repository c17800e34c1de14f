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
        <translation>Tests: %1</translation>
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
        <translation>Tests entered: %1; series: %2.</translation>
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
</TS>
