<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ForceCurve</name>
    <message>
        <source>最大力</source>
        <translation>Fm</translation>
    </message>
    <message>
        <source>断裂</source>
        <translation>Fracture</translation>
    </message>
    <message>
        <source>末点</source>
        <translation>Last point</translation>
    </message>
</context>
</TS>
