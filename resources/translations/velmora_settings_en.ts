<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>DataFolder</name>
    <message>
        <source>数据文件夹无法创建：%1 (%2)</source>
        <translation>The data folder cannot be created: %1 (%2)</translation>
    </message>
    <message>
        <source>设置文件路径过长：%1</source>
        <translation>The settings file&apos;s path is too long: %1</translation>
    </message>
    <message>
        <source>原文件已改名保存为 %1。</source>
        <translation>The file was renamed to %1.</translation>
    </message>
    <message>
        <source>
默认设置无法写入设置文件：%1</source>
        <translation>
The default settings cannot be written to the settings file: %1</translation>
    </message>
    <message>
        <source>原文件无法改名保存（%1），仍在 %2。</source>
        <translation>The file cannot be renamed (%1); it is still at %2.</translation>
    </message>
    <message>
        <source>设置文件 %1 的“%2”（%3）未通过检查：%4
该文件未被采用，现使用默认设置。
%5</source>
        <translation>The settings file %1: &quot;%2&quot; (%3) fails its check: %4
The file is not used; the default settings are in force.
%5</translation>
    </message>
    <message>
        <source>设置文件不存在：%1</source>
        <translation>The settings file does not exist: %1</translation>
    </message>
    <message>
        <source>设置文件不是普通文件：%1</source>
        <translation>The settings file is not a regular file: %1</translation>
    </message>
</context>
<context>
    <name>ExtensometerSettings</name>
    <message>
        <source>第一行不是 %1</source>
        <translation>the first line is not %1</translation>
    </message>
    <message>
        <source>未知的行：%1</source>
        <translation>unknown line: %1</translation>
    </message>
    <message>
        <source>“%1”出现了两次</source>
        <translation>&quot;%1&quot; is given twice</translation>
    </message>
    <message>
        <source>缺少“%1”</source>
        <translation>&quot;%1&quot; is missing</translation>
    </message>
    <message>
        <source>“%1”的值无法识别：%2</source>
        <translation>the value of &quot;%1&quot; cannot be read: %2</translation>
    </message>
    <message>
        <source>“%1”的值不可用：%2</source>
        <translation>the value of &quot;%1&quot; cannot be used: %2</translation>
    </message>
    <message>
        <source>引伸计设置文件无法读取：%1
引伸计未启用。</source>
        <translation>The extensometer&apos;s settings file cannot be read: %1
The extensometer is off.</translation>
    </message>
    <message>
        <source>原文件已改名保存为 %1。</source>
        <translation>The file was renamed to %1.</translation>
    </message>
    <message>
        <source>原文件无法改名保存（%1），仍在 %2。</source>
        <translation>The file could not be renamed (%1); it is still at %2.</translation>
    </message>
    <message>
        <source>引伸计设置文件 %1 未通过检查：%2
该文件未被采用，引伸计未启用。
%3</source>
        <translation>The extensometer&apos;s settings file %1 did not pass the checks: %2
It was not used; the extensometer is off.
%3</translation>
    </message>
</context>
<context>
    <name>SettingsChecks</name>
    <message>
        <source>参数值：%1%2%3%4不宜相等</source>
        <translation>Value: %1 %2 and%3 %4 must not be equal</translation>
    </message>
    <message>
        <source>参数值：%1%2不宜为0</source>
        <translation>Value: %1 %2 must not be 0</translation>
    </message>
    <message>
        <source>参数值：%1  不匹配</source>
        <translation>Value: %1  is not valid</translation>
    </message>
    <message>
        <source>比例系数</source>
        <translation>Coefficient</translation>
    </message>
    <message>
        <source>输出量程上限</source>
        <translation>Output range high</translation>
    </message>
    <message>
        <source> 输出量程下限</source>
        <translation> output range low</translation>
    </message>
    <message>
        <source>停机动作延时量不匹配：请输入在1~200之间的数值</source>
        <translation>Auto-stop delay is not valid: enter a number from 1 to 200</translation>
    </message>
    <message>
        <source>返回动作延时量不匹配：请输入在1~200之间的数值</source>
        <translation>Auto-return delay is not valid: enter a number from 1 to 200</translation>
    </message>
    <message>
        <source>%1不匹配：请输入在1~10000之间的数值</source>
        <translation>%1 is not valid: enter a number from 1 to 10000</translation>
    </message>
    <message>
        <source>%1不匹配：请输入不小于1的整数（%2）</source>
        <translation>%1 is not valid: enter a whole number of at least 1 (%2)</translation>
    </message>
    <message>
        <source>%1不匹配：请输入数值（%2）</source>
        <translation>%1 is not valid: enter a number (%2)</translation>
    </message>
    <message>
        <source>%1不匹配：（0）通道最大只能读到 %2 %3 以下，%4 永远达不到，请输入小于 %2 的数值</source>
        <translation>%1 is not valid: channel (0) reads at most %2 %3, so %4 is never reached; enter a number below %2</translation>
    </message>
    <message>
        <source>%1 %2 按整数 %3 动作：%4达到 %3 %5 即强行停机。</source>
        <translation>%1 %2 acts as the whole number %3: the rig stops when %4 reaches %3 %5.</translation>
    </message>
    <message>
        <source>（0）通道的计量单位由 %1 改为 %2，数值未经换算：输入量程、线性比例系数、小信号切除量、分辨率、预存零位以及强制停机限、报警上限值、报警下限值、断裂判定值现在都按 %2 计，请检查。</source>
        <translation>The unit of channel (0) changed from %1 to %2 and no value was converted: the input range, coefficient, small-signal cut-off, resolution, stored zero and the forced-stop limit, alarm high, alarm low and break value now count in %2. Please check them.</translation>
    </message>
    <message>
        <source>（1）通道的计量单位由 %1 改为 %2，数值未经换算：输入量程、线性比例系数、小信号切除量、分辨率、预存零位现在都按 %2 计，请检查。</source>
        <translation>The unit of channel (1) changed from %1 to %2 and no value was converted: the input range, coefficient, small-signal cut-off, resolution and stored zero now count in %2. Please check them.</translation>
    </message>
    <message>
        <source>%1不匹配：%2  请选择 0~+5V、0~+10V、-5V~+5V 或 -10V~+10V</source>
        <translation>%1 is not valid: %2  choose 0~+5V, 0~+10V, -5V~+5V or -10V~+10V</translation>
    </message>
</context>
<context>
    <name>SettingsFields</name>
    <message>
        <source>采集卡ID</source>
        <translation>Card ID</translation>
    </message>
    <message>
        <source>输入型号类型</source>
        <translation>Input type</translation>
    </message>
    <message>
        <source>输出信号类型</source>
        <translation>Output type</translation>
    </message>
    <message>
        <source>阻尼</source>
        <translation>Damp</translation>
    </message>
    <message>
        <source>输入量程上限</source>
        <translation>Input high</translation>
    </message>
    <message>
        <source>输入量程下限</source>
        <translation>Input low</translation>
    </message>
    <message>
        <source>线性比例系数</source>
        <translation>Coefficient</translation>
    </message>
    <message>
        <source>线性比例系数
0.5000~2.0000</source>
        <translation>Coefficient
0.5000~2.0000</translation>
    </message>
    <message>
        <source>计量单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>小信号切除量</source>
        <translation>Cut-off</translation>
    </message>
    <message>
        <source>分辨率</source>
        <translation>Res.</translation>
    </message>
    <message>
        <source>预存零位</source>
        <translation>Stored zero</translation>
    </message>
    <message>
        <source>输出信号上限</source>
        <translation>Output high</translation>
    </message>
    <message>
        <source>输出信号下限</source>
        <translation>Output low</translation>
    </message>
    <message>
        <source>自动停机延时量</source>
        <translation>Auto-stop delay</translation>
    </message>
    <message>
        <source>自动停机
延时量1~200</source>
        <translation>Auto-stop
delay 1~200</translation>
    </message>
    <message>
        <source>强制停机限</source>
        <translation>Forced stop</translation>
    </message>
    <message>
        <source>报警上限值</source>
        <translation>Alarm high</translation>
    </message>
    <message>
        <source>报警下限值</source>
        <translation>Alarm low</translation>
    </message>
    <message>
        <source>断裂判定值</source>
        <translation>Break value</translation>
    </message>
    <message>
        <source>自动返回延时量</source>
        <translation>Auto-return delay</translation>
    </message>
    <message>
        <source>自动返回
延时量1~200</source>
        <translation>Auto-return
delay 1~200</translation>
    </message>
    <message>
        <source>采集周期</source>
        <translation>Sample period</translation>
    </message>
    <message>
        <source>采集周期
1~10000(mS)</source>
        <translation>Period
1~10000(ms)</translation>
    </message>
    <message>
        <source>试验名称</source>
        <translation>Test name</translation>
    </message>
    <message>
        <source>测试员</source>
        <translation>Tester</translation>
    </message>
    <message>
        <source>(0)通道名称</source>
        <translation>Name (0)</translation>
    </message>
    <message>
        <source>(1)通道名称</source>
        <translation>Name (1)</translation>
    </message>
    <message>
        <source>(%1)通道 %2</source>
        <translation>Channel (%1) %2</translation>
    </message>
</context>
<context>
    <name>Specimen</name>
    <message>
        <source>%1 沿用上一试样</source>
        <translation>%1 taken over from the last specimen</translation>
    </message>
    <message>
        <source>参数值：%1 %2  不匹配：请输入大于0的数值，或留空表示不给定</source>
        <translation>Value: %1 %2  is not valid: enter a number above 0, or leave it empty for none</translation>
    </message>
</context>
</TS>
