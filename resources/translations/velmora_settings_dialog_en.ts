<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CExtensometerDlg</name>
    <message>
        <source>引伸计</source>
        <translation>Extensometer</translation>
    </message>
    <message>
        <source>使用引伸计</source>
        <translation>Use the extensometer</translation>
    </message>
    <message>
        <source>mm（标距内的伸长）</source>
        <translation>mm (extension over Le)</translation>
    </message>
    <message>
        <source>%（标距的应变）</source>
        <translation>% (strain of Le)</translation>
    </message>
    <message>
        <source>单位/V</source>
        <translation>unit/V</translation>
    </message>
    <message>
        <source>取当前读数为零点</source>
        <translation>Zero at present reading</translation>
    </message>
    <message>
        <source>不取下</source>
        <translation>Not taken off</translation>
    </message>
    <message>
        <source>应变达到设定值</source>
        <translation>At a strain</translation>
    </message>
    <message>
        <source>过最大力后力降至设定值</source>
        <translation>Force falls after Fm</translation>
    </message>
    <message>
        <source>取下点</source>
        <translation>Removal point</translation>
    </message>
    <message>
        <source>%（标距）</source>
        <translation>% (of Le)</translation>
    </message>
    <message>
        <source>%（最大力）</source>
        <translation>% (of Fm)</translation>
    </message>
    <message>
        <source>到取下点时停机，取下后再继续</source>
        <translation>Stop at the removal point; continue after</translation>
    </message>
    <message>
        <source>引伸计(&amp;Y)...</source>
        <translation>Ex&amp;tensometer...</translation>
    </message>
    <message>
        <source>通道</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>标距 Le</source>
        <translation>Gauge length Le</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>系数</source>
        <translation>Coefficient</translation>
    </message>
    <message>
        <source>零点</source>
        <translation>Zero</translation>
    </message>
    <message>
        <source>取下应变</source>
        <translation>Removal strain</translation>
    </message>
    <message>
        <source>取下力</source>
        <translation>Removal force</translation>
    </message>
    <message>
        <source>引伸计通道无法读取：采集器未连接或正在回放、高速采集。</source>
        <translation>The extensometer&apos;s channel cannot be read: no card, or a playback or high-speed capture is running.</translation>
    </message>
    <message>
        <source>“%1”不是一个数：%2</source>
        <translation>&quot;%1&quot; is not a number: %2</translation>
    </message>
    <message>
        <source>设置错误</source>
        <translation>Settings error</translation>
    </message>
    <message>
        <source>“%1”的值不可用。</source>
        <translation>The value of &quot;%1&quot; cannot be used.</translation>
    </message>
</context>
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
