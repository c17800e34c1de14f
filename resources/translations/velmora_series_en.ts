<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>SeriesExport</name>
    <message>
        <source>工作簿过大，无法保存：%1</source>
        <translation>The workbook is too large to be saved: %1</translation>
    </message>
</context>
</TS>
