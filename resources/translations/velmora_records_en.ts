<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>RecordTexts</name>
    <message>
        <source>试验名称不能用作文件名：%1</source>
        <translation>The test name cannot be used as a file name: %1</translation>
    </message>
    <message>
        <source>无法取得当前时间</source>
        <translation>The current time cannot be read</translation>
    </message>
    <message>
        <source>试验名称过长，不能用作文件名：%1</source>
        <translation>The test name is too long for a file name: %1</translation>
    </message>
    <message>
        <source>存档路径过长：%1</source>
        <translation>The archive&apos;s path is too long: %1</translation>
    </message>
    <message>
        <source>存档名称均已被占用：%1</source>
        <translation>Every archive name is taken already: %1</translation>
    </message>
    <message>
        <source>不是测试存档文件：%1</source>
        <translation>Not a test archive: %1</translation>
    </message>
    <message>
        <source>工作簿过大，无法保存</source>
        <translation>The workbook is too large to be saved</translation>
    </message>
    <message>
        <source>不是本程序的记录文件（%1）</source>
        <translation>Not a records file of this program (%1)</translation>
    </message>
    <message>
        <source>没有 UTF-8 字节顺序标记</source>
        <translation>no UTF-8 byte order mark</translation>
    </message>
    <message>
        <source>第 %1 行不是四栏</source>
        <translation>line %1 does not have four fields</translation>
    </message>
    <message>
        <source>第 %1 行的“%2”不是可用的数值：%3</source>
        <translation>line %1: &quot;%2&quot; is not a usable number: %3</translation>
    </message>
    <message>
        <source>没有“次数,时间(s),&lt;名称&gt;(&lt;单位&gt;),&lt;名称&gt;(&lt;单位&gt;)”表头</source>
        <translation>no header &quot;次数,时间(s),&lt;name&gt;(&lt;unit&gt;),&lt;name&gt;(&lt;unit&gt;)&quot;</translation>
    </message>
    <message>
        <source>有引伸计一栏，结果中却没有引伸计标距 Le 与取下记录</source>
        <translation>there is an extensometer column, but the results have no extensometer gauge length Le and removal record</translation>
    </message>
    <message>
        <source>结果中有引伸计的行，却没有引伸计一栏</source>
        <translation>the results have the extensometer&apos;s lines, but there is no extensometer column</translation>
    </message>
    <message>
        <source>第 %1 条记录不可读</source>
        <translation>record %1 cannot be read</translation>
    </message>
    <message>
        <source>记录多于存档所能容纳</source>
        <translation>more records than an archive holds</translation>
    </message>
    <message>
        <source>第 %1 条记录的引伸计读数不可用：%2</source>
        <translation>record %1: the extensometer reading cannot be used: %2</translation>
    </message>
    <message>
        <source>引伸计取下记录超出记录数</source>
        <translation>the extensometer&apos;s removal record is past the last record</translation>
    </message>
    <message>
        <source>该试验不属于任何系列：%1</source>
        <translation>The test belongs to no series: %1</translation>
    </message>
    <message>
        <source>不是本程序的记录文件，没有改写：%1</source>
        <translation>Not a records file of this program; it was not rewritten: %1</translation>
    </message>
    <message>
        <source>记录文件无法读取：%1</source>
        <translation>The records file cannot be read: %1</translation>
    </message>
    <message>
        <source>存档 %1 不在数据文件夹 %2 中</source>
        <translation>The archive %1 is not in the data folder %2</translation>
    </message>
    <message>
        <source>文件无法读取：%1</source>
        <translation>The file cannot be read: %1</translation>
    </message>
    <message>
        <source>数据文件夹无法读取：%1（%2）</source>
        <translation>The data folder cannot be read: %1 (%2)</translation>
    </message>
    <message>
        <source>请输入系列名称。</source>
        <translation>Please enter the series&apos; name.</translation>
    </message>
    <message>
        <source>系列名称不能是 . 或 ..</source>
        <translation>The series&apos; name cannot be . or ..</translation>
    </message>
    <message>
        <source>系列名称不能含有 / \ 或控制字符。</source>
        <translation>The series&apos; name cannot hold / \ or control characters.</translation>
    </message>
    <message>
        <source>不是系列文件：%1</source>
        <translation>Not a series file: %1</translation>
    </message>
    <message>
        <source>文件不完整，末行没有结束</source>
        <translation>the file is incomplete: its last line has no end</translation>
    </message>
    <message>
        <source>不是引伸计记录文件</source>
        <translation>not an extensometer records file</translation>
    </message>
    <message>
        <source>第 2 行不是存档的 SHA-256</source>
        <translation>line 2 is not the archive&apos;s SHA-256</translation>
    </message>
    <message>
        <source>属于另一份存档（SHA-256 不符）</source>
        <translation>it belongs to another archive (the SHA-256 differs)</translation>
    </message>
    <message>
        <source>标距 Le 不是正数</source>
        <translation>the gauge length Le is not a positive number</translation>
    </message>
    <message>
        <source>通道不是 2 到 31 之间的整数</source>
        <translation>the channel is not a whole number from 2 to 31</translation>
    </message>
    <message>
        <source>单位不是 mm</source>
        <translation>the unit is not mm</translation>
    </message>
    <message>
        <source>记录数不可读</source>
        <translation>the number of records cannot be read</translation>
    </message>
    <message>
        <source>记录数 %1 与存档的 %2 条不符</source>
        <translation>%1 records, where the archive has %2</translation>
    </message>
    <message>
        <source>取下记录不是 1 到记录数之间的整数</source>
        <translation>the removal record is not a whole number from 1 to the number of records</translation>
    </message>
    <message>
        <source>没有“次数,引伸计 (mm)”表头</source>
        <translation>no header &quot;次数,引伸计 (mm)&quot;</translation>
    </message>
    <message>
        <source>有 %1 行记录，应为 %2 行</source>
        <translation>%1 lines of records, where there should be %2</translation>
    </message>
    <message>
        <source>第 %1 条记录的次数不符</source>
        <translation>record %1 has the wrong number</translation>
    </message>
    <message>
        <source>第 %1 条记录不是可用的数值：%2</source>
        <translation>record %1 is not a usable number: %2</translation>
    </message>
    <message>
        <source>第 %1 条记录在取下之后仍有读数</source>
        <translation>record %1 has a reading after the removal</translation>
    </message>
    <message>
        <source>旧的引伸计记录文件无法删除：%1</source>
        <translation>The old extensometer records file cannot be removed: %1</translation>
    </message>
    <message>
        <source>引伸计记录没有标距 Le 或通道，没有保存：%1</source>
        <translation>The extensometer records have no gauge length Le or channel and were not saved: %1</translation>
    </message>
    <message>
        <source>引伸计记录文件不可用（%1），试验按没有引伸计打开：%2</source>
        <translation>The extensometer records file cannot be used (%1); the test is opened without an extensometer: %2</translation>
    </message>
</context>
</TS>
