<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ReevaluationTexts</name>
    <message>
        <source>项目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>平均值</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>标准差</source>
        <translation>Standard deviation s</translation>
    </message>
    <message>
        <source>变异系数(%)</source>
        <translation>CV (%)</translation>
    </message>
    <message>
        <source>最小值</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>最大值</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>95%置信下限</source>
        <translation>95% lower</translation>
    </message>
    <message>
        <source>95%置信上限</source>
        <translation>95% upper</translation>
    </message>
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
        <translation>Final cross-section Su</translation>
    </message>
    <message>
        <source>断后标距 Lu</source>
        <translation>Final gauge length Lu</translation>
    </message>
    <message>
        <source>加载链柔度 C</source>
        <translation>Load train compliance C</translation>
    </message>
    <message>
        <source>断裂判定记录</source>
        <translation>Break record</translation>
    </message>
    <message>
        <source>文件：%1</source>
        <translation>File: %1</translation>
    </message>
    <message>
        <source>试样：%1</source>
        <translation>Specimen: %1</translation>
    </message>
    <message>
        <source>已排除：%1</source>
        <translation>Excluded: %1</translation>
    </message>
    <message>
        <source>命令行给定：%1</source>
        <translation>From the command line: %1</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>说明：</source>
        <translation>Notes:</translation>
    </message>
    <message>
        <source>统计：%1 个有效试样</source>
        <translation>Statistics: %1 valid specimens</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>已排除：%1：%2</source>
        <translation>Excluded: %1: %2</translation>
    </message>
    <message>
        <source>横截面积 S0 = %1 mm²</source>
        <translation>Cross-section S0 = %1 mm²</translation>
    </message>
    <message>
        <source>标距 L0 = %1 mm</source>
        <translation>Gauge length L0 = %1 mm</translation>
    </message>
    <message>
        <source>断后最小横截面积 Su = %1 mm²</source>
        <translation>Final cross-section Su = %1 mm²</translation>
    </message>
    <message>
        <source>断后标距 Lu = %1 mm</source>
        <translation>Final gauge length Lu = %1 mm</translation>
    </message>
    <message>
        <source>规定塑性延伸 = %1 % L0</source>
        <translation>Plastic extension of Rp = %1 % L0</translation>
    </message>
    <message>
        <source>弹性段拟合区间 = %1 %–%2 %</source>
        <translation>Elastic fit range = %1 %–%2 %</translation>
    </message>
    <message>
        <source>断裂判定值 = %1</source>
        <translation>Break value = %1</translation>
    </message>
    <message>
        <source>存档所在文件夹也没有 Specimen.ini：试样参数只有命令行给出的</source>
        <translation>The archive&apos;s folder has no Specimen.ini either: the specimen is only what the command line gives</translation>
    </message>
    <message>
        <source>记录文件没有断裂判定记录（较早的文件）：按断裂判定值 %1 以断裂规则求得</source>
        <translation>The records file does not name its break record (an older file): found by the break rule with the break value %1</translation>
    </message>
    <message>
        <source>记录文件没有断裂判定记录（较早的文件）：没有给出 --break-value，按未检测到断裂计算</source>
        <translation>The records file does not name its break record (an older file): no --break-value given, computed as not broken</translation>
    </message>
</context>
</TS>
