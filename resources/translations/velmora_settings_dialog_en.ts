<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CSettingsDlg</name>
    <message>
        <source>设置错误</source>
        <translation>Settings error</translation>
    </message>
    <message>
        <source>参数设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>（0）通道配置参数</source>
        <translation>Channel (0)</translation>
    </message>
    <message>
        <source>（1）通道配置参数</source>
        <translation>Channel (1)</translation>
    </message>
    <message>
        <source>控制参数</source>
        <translation>Control</translation>
    </message>
    <message>
        <source>保存修改 确认返回</source>
        <translation>Save and close</translation>
    </message>
    <message>
        <source>不存修改 关闭返回</source>
        <translation>Close unsaved</translation>
    </message>
    <message>
        <source>撤销修改</source>
        <translation>Undo changes</translation>
    </message>
    <message>
        <source>输入的内容不能超过 %1 个字节（一个汉字占两个字节）：%2</source>
        <translation>The text must not be longer than %1 bytes (a Chinese character takes two): %2</translation>
    </message>
</context>
<context>
    <name>CSpecimenDlg</name>
    <message>
        <source>横截面积 S0</source>
        <translation>Cross-section S0</translation>
    </message>
    <message>
        <source>标距 L0</source>
        <translation>Gauge length L0</translation>
    </message>
    <message>
        <source>断后最小横截面积 Su</source>
        <translation>Final min. cross-section Su</translation>
    </message>
    <message>
        <source>断后标距 Lu</source>
        <translation>Final gauge length Lu</translation>
    </message>
    <message>
        <source>规定塑性延伸 Rp</source>
        <translation>Plastic extension Rp</translation>
    </message>
    <message>
        <source>加载链柔度 C</source>
        <translation>Load train compliance C</translation>
    </message>
    <message>
        <source>不给定</source>
        <translation>not given</translation>
    </message>
    <message>
        <source>试样参数</source>
        <translation>Specimen</translation>
    </message>
    <message>
        <source>不修正</source>
        <translation>no correction</translation>
    </message>
    <message>
        <source>设置错误</source>
        <translation>Settings error</translation>
    </message>
</context>
</TS>
