<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>FileAccess</name>
    <message>
        <source>文件无法创建：%1 (%2)</source>
        <translation>The file cannot be created: %1 (%2)</translation>
    </message>
    <message>
        <source>文件无法写入：%1 (%2)</source>
        <translation>The file cannot be written: %1 (%2)</translation>
    </message>
    <message>
        <source>文件已存在：%1 (%2)</source>
        <translation>The file exists already: %1 (%2)</translation>
    </message>
    <message>
        <source>文件无法保存：%1 (%2)</source>
        <translation>The file cannot be saved: %1 (%2)</translation>
    </message>
    <message>
        <source>文件无法打开：%1 (%2)</source>
        <translation>The file cannot be opened: %1 (%2)</translation>
    </message>
    <message>
        <source>文件无法读取：%1 (%2)</source>
        <translation>The file cannot be read: %1 (%2)</translation>
    </message>
</context>
</TS>
