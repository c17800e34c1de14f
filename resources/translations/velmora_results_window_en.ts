<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CCalibrationDlg</name>
    <message>
        <source>加载链柔度标定</source>
        <translation>Load train compliance calibration</translation>
    </message>
    <message>
        <source>标定试样刚度</source>
        <translation>Calibration specimen stiffness</translation>
    </message>
    <message>
        <source>1. 装上远比机架与夹具刚硬的标定试样（如短而粗的钢块）。
2. 像试验一样拉伸，到强制停机限以下停止。
3. 此处按横梁位移对力拟合，得出加载链柔度；保存后用于以后的试验。</source>
        <translation>1. Mount a calibration specimen far stiffer than the frame and grips (such as a short, thick steel block).
2. Pull it as in a test and stop below the forced-stop limit.
3. The crosshead displacement is fitted over the force here, giving the load train compliance; saved, it is used for the tests that follow.</translation>
    </message>
    <message>
        <source>刚硬，不计</source>
        <translation>Rigid, not counted</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>标定试样刚度须为正数，或留空。</source>
        <translation>The calibration specimen stiffness must be a positive number, or empty.</translation>
    </message>
    <message>
        <source>列表区的记录不能拟合：需要力在最大力 20 %–80 % 之间的至少 5 条上升记录，位移随力增大，通道单位可换算为 N 与 mm。</source>
        <translation>The records in the list cannot be fitted: at least 5 rising records with the force between 20 %–80 % of the maximum force are needed, the displacement growing with the force, and channel units that convert to N and mm.</translation>
    </message>
    <message>
        <source>加载链柔度 %1 mm/N（刚度 %2 N/mm）
%3 条记录，力 %4–%5 %6，相关系数 %7</source>
        <translation>Load train compliance %1 mm/N (stiffness %2 N/mm)
%3 records, force %4–%5 %6, correlation %7</translation>
    </message>
</context>
<context>
    <name>CResultsWnd</name>
    <message>
        <source>试验结果</source>
        <translation>Test results</translation>
    </message>
    <message>
        <source>项目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>无法开始打印作业。</source>
        <translation>Cannot start the print job.</translation>
    </message>
</context>
</TS>
