<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ResultTexts</name>
    <message>
        <source>最大力</source>
        <translation>Max force Fm</translation>
    </message>
    <message>
        <source>最大力位移</source>
        <translation>Displacement at max force</translation>
    </message>
    <message>
        <source>断裂力</source>
        <translation>Force at fracture</translation>
    </message>
    <message>
        <source>断裂位移</source>
        <translation>Displacement at fracture</translation>
    </message>
    <message>
        <source>断裂功</source>
        <translation>Work to fracture</translation>
    </message>
    <message>
        <source>试验时间</source>
        <translation>Test time</translation>
    </message>
    <message>
        <source>抗拉强度 Rm</source>
        <translation>Tensile strength Rm</translation>
    </message>
    <message>
        <source>断后伸长率 A</source>
        <translation>Elongation after fracture A</translation>
    </message>
    <message>
        <source>刚度</source>
        <translation>Stiffness</translation>
    </message>
    <message>
        <source>弹性模量 E</source>
        <translation>Modulus of elasticity E</translation>
    </message>
    <message>
        <source>规定塑性延伸强度 %1</source>
        <translation>Proof strength, plastic extension %1</translation>
    </message>
    <message>
        <source>规定塑性延伸强度 Rp</source>
        <translation>Proof strength, plastic extension Rp</translation>
    </message>
    <message>
        <source>规定总延伸强度 Rt0.5</source>
        <translation>Proof strength, total extension Rt0.5</translation>
    </message>
    <message>
        <source>上屈服强度 ReH</source>
        <translation>Upper yield strength ReH</translation>
    </message>
    <message>
        <source>下屈服强度 ReL</source>
        <translation>Lower yield strength ReL</translation>
    </message>
    <message>
        <source>屈服点延伸率 Ae</source>
        <translation>Yield point extension Ae</translation>
    </message>
    <message>
        <source>最大力塑性延伸率 Ag</source>
        <translation>Plastic extension at max force Ag</translation>
    </message>
    <message>
        <source>最大力总延伸率 Agt</source>
        <translation>Total extension at max force Agt</translation>
    </message>
    <message>
        <source>断裂总延伸率 At</source>
        <translation>Total extension at fracture At</translation>
    </message>
    <message>
        <source>断面收缩率 Z</source>
        <translation>Reduction of area Z</translation>
    </message>
    <message>
        <source>断后伸长率 A (横梁位移)</source>
        <translation>Elongation after fracture A (crosshead)</translation>
    </message>
    <message>
        <source>力的单位“%1”无法换算为 N：强度与 E 不计算</source>
        <translation>The force unit “%1” does not convert to N: strengths and E are not computed</translation>
    </message>
    <message>
        <source>位移的单位“%1”无法换算为 mm：延伸率与 E 不计算</source>
        <translation>The displacement unit “%1” does not convert to mm: elongations and E are not computed</translation>
    </message>
    <message>
        <source>横截面积 S0 未给定或无效（须为大于 0 的数，在 试样参数 中给出）：强度不计算</source>
        <translation>Cross-section S0 not given or invalid (a number above 0, given in Specimen): strengths are not computed</translation>
    </message>
    <message>
        <source>标距 L0 未给定或无效（须为大于 0 的数，在 试样参数 中给出）：延伸率不计算</source>
        <translation>Gauge length L0 not given or invalid (a number above 0, given in Specimen): elongations are not computed</translation>
    </message>
    <message>
        <source>力值全部不大于 0：请检查力通道的方向与调零</source>
        <translation>No force above 0: check the force channel&apos;s direction and zero</translation>
    </message>
    <message>
        <source>弹性段不成直线（各力区间的两半斜率都不一致）：刚度、E、Rp、A、Ag 不计算</source>
        <translation>The elastic range is not straight (the two halves of every force range differ in slope): stiffness, E, Rp, A, Ag are not computed</translation>
    </message>
    <message>
        <source>弹性段拟合未能取在 Rp 或 ReH 的 %1：取在 Fm 的 %1</source>
        <translation>The elastic fit could not be taken on %1 of Rp or ReH: taken on %1 of Fm</translation>
    </message>
    <message>
        <source>弹性段记录不足（力在 Fm 的 %1 之间少于 5 条）：刚度、E、Rp、A、Ag 不计算</source>
        <translation>Too few records on the elastic range (fewer than 5 with the force within %1 of Fm): stiffness, E, Rp, A, Ag are not computed</translation>
    </message>
    <message>
        <source>Rt0.5、Agt、At 未作起始段修正：没有弹性段直线，延伸从第一条记录的位移算起</source>
        <translation>Rt0.5, Agt, At are not toe-corrected: there is no elastic line, extension counts from the first record&apos;s displacement</translation>
    </message>
    <message>
        <source>断后标距 Lu 小于 L0：A 不按 Lu 计算，取横梁位移的值</source>
        <translation>Final gauge length Lu below L0: A is not computed from Lu, the crosshead value is taken</translation>
    </message>
    <message>
        <source>断后最小横截面积 Su 大于 S0：Z 不计算</source>
        <translation>Final cross-section Su above S0: Z is not computed</translation>
    </message>
    <message>
        <source>%1 超出任何材料可能的范围，不给出：力或位移的数值与其单位不符，请检查 设置 → 计量单位 与 线性比例系数（力、位移与断裂功的数值也受影响）</source>
        <translation>%1 beyond what any material reaches, not given: the force or displacement values do not match their unit; check Settings → Unit and Linear coefficient (the force, displacement and work values are affected too)</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>试样未断裂（试验由操作者或限位停止）：断裂力、断裂位移、断裂总延伸率 At、断后伸长率 A 无定义，不给出</source>
        <translation>The specimen did not break (the test was stopped by the operator or a limit): force and displacement at fracture, total extension at fracture At and elongation after fracture A are undefined, not given</translation>
    </message>
    <message>
        <source>试样未断裂（试验由操作者或限位停止）：断裂力、断裂位移、断裂总延伸率 At 无定义，不给出</source>
        <translation>The specimen did not break (the test was stopped by the operator or a limit): force and displacement at fracture and total extension at fracture At are undefined, not given</translation>
    </message>
    <message>
        <source>横梁位移已按加载链柔度 %1 mm/N 修正：位移减去 力 × 柔度</source>
        <translation>Crosshead displacement corrected by the load train compliance %1 mm/N: displacement less force × compliance</translation>
    </message>
    <message>
        <source>横梁位移已按加载链柔度 %1 mm/N（标定于 %2） 修正：位移减去 力 × 柔度</source>
        <translation>Crosshead displacement corrected by the load train compliance %1 mm/N (calibrated %2): displacement less force × compliance</translation>
    </message>
    <message>
        <source>加载链柔度无法换算到通道单位 %1、%2：横梁位移未修正</source>
        <translation>The load train compliance does not convert to the channel units %1, %2: crosshead displacement not corrected</translation>
    </message>
    <message>
        <source>存档没有保存试样参数与启动时间：试样参数取当前 Specimen.ini</source>
        <translation>The archive did not store its specimen and start time: the specimen is taken from the current Specimen.ini</translation>
    </message>
    <message>
        <source>没有记录</source>
        <translation>No records</translation>
    </message>
    <message>
        <source>断裂于第 %1 条记录</source>
        <translation>Fracture at record %1</translation>
    </message>
    <message>
        <source>未检测到断裂：试样未断裂</source>
        <translation>No fracture detected: the specimen did not break</translation>
    </message>
    <message>
        <source>引伸计: 无，以横梁位移计算</source>
        <translation>Extensometer: none, computed from the crosshead displacement</translation>
    </message>
    <message>
        <source>弹性段拟合：力 %1–%2 %3（%4），%5 条记录，相关系数 %6</source>
        <translation>Elastic fit: force %1–%2 %3 (%4), %5 records, correlation %6</translation>
    </message>
    <message>
        <source>Fm 的 %1</source>
        <translation>%1 of Fm</translation>
    </message>
    <message>
        <source>ReH 的 %1</source>
        <translation>%1 of ReH</translation>
    </message>
    <message>
        <source>Rp 的 %1</source>
        <translation>%1 of Rp</translation>
    </message>
    <message>
        <source>Fm 的 %1 不成直线，取其上最陡的直线段</source>
        <translation>%1 of Fm not straight, its steepest straight range taken</translation>
    </message>
    <message>
        <source>%1 沿用上一试样</source>
        <translation>%1 carried over from the previous specimen</translation>
    </message>
    <message>
        <source>引伸计: 标距 Le %1 mm，E、Rp%2、Rt0.5、Ae、Ag、Agt 以引伸计的应变计算；A、At 以横梁位移计算</source>
        <translation>Extensometer: gauge length Le %1 mm; E, Rp%2, Rt0.5, Ae, Ag, Agt from its strain; A, At from the crosshead</translation>
    </message>
    <message>
        <source>引伸计: 标距 Le %1 mm，E、Rp%2、Rt0.5、Ae、Ag、Agt 以引伸计的应变计算；A 取自断后标距 Lu，At 以横梁位移计算</source>
        <translation>Extensometer: gauge length Le %1 mm; E, Rp%2, Rt0.5, Ae, Ag, Agt from its strain; A from the final gauge length Lu, At from the crosshead</translation>
    </message>
    <message>
        <source>引伸计没有可用的读数：应变以横梁位移计算</source>
        <translation>The extensometer gave no usable readings: strain from the crosshead</translation>
    </message>
    <message>
        <source>标距 L0 未给定或无效（须为大于 0 的数，在 试样参数 中给出）：A、At 不计算</source>
        <translation>Gauge length L0 not given or invalid (a number above 0, under Specimen): A, At not computed</translation>
    </message>
    <message>
        <source>引伸计弹性段拟合：力 %1–%2 %3（%4），%5 条记录，相关系数 %6</source>
        <translation>Extensometer elastic fit: force %1–%2 %3 (%4), %5 records, correlation %6</translation>
    </message>
    <message>
        <source>横梁位移弹性段拟合：力 %1–%2 %3（%4），%5 条记录，相关系数 %6</source>
        <translation>Crosshead elastic fit: force %1–%2 %3 (%4), %5 records, correlation %6</translation>
    </message>
    <message>
        <source>引伸计于第 %1 条记录后取下：其后的应变为取下时的引伸计应变加横梁位移的增量除以 %2 %3 mm</source>
        <translation>Extensometer taken off after record %1: later strain is its strain at removal plus the crosshead&apos;s further travel over %2 %3 mm</translation>
    </message>
    <message>
        <source>引伸计于第 %1 条记录后取下：其后的应变为取下时的引伸计应变加横梁位移（已修正柔度）的增量除以 %2 %3 mm</source>
        <translation>Extensometer taken off after record %1: later strain is its strain at removal plus the crosshead&apos;s further travel (compliance corrected) over %2 %3 mm</translation>
    </message>
    <message>
        <source>Ag、Agt 取自这一接续的应变</source>
        <translation>Ag, Agt from this joined strain</translation>
    </message>
    <message>
        <source>Ae 取自这一接续的应变</source>
        <translation>Ae from this joined strain</translation>
    </message>
    <message>
        <source>Ag、Agt、Ae 取自这一接续的应变</source>
        <translation>Ag, Agt, Ae from this joined strain</translation>
    </message>
    <message>
        <source>横梁位移的弹性段不成直线（各力区间的两半斜率都不一致）：刚度、A 不计算</source>
        <translation>The crosshead&apos;s elastic range is not straight (the halves of every force range disagree on the slope): stiffness, A not computed</translation>
    </message>
    <message>
        <source>横梁位移的弹性段拟合未能取在 Rp 或 ReH 的 %1：取在 Fm 的 %1</source>
        <translation>The crosshead&apos;s elastic fit could not be taken on %1 of Rp or ReH: taken on %1 of Fm</translation>
    </message>
    <message>
        <source>横梁位移的弹性段记录不足（力在 Fm 的 %1 之间少于 5 条）：刚度、A 不计算</source>
        <translation>Too few records on the crosshead&apos;s elastic range (fewer than 5 within %1 of Fm): stiffness, A not computed</translation>
    </message>
    <message>
        <source>At 未作起始段修正：没有横梁位移的弹性段直线，延伸从第一条记录的位移算起</source>
        <translation>At without toe correction: no elastic line of the crosshead, extension counted from the first record</translation>
    </message>
    <message>
        <source>引伸计的弹性段不成直线（各力区间的两半斜率都不一致）：E、Rp、Ag 不计算</source>
        <translation>The extensometer&apos;s elastic range is not straight (the halves of every force range disagree on the slope): E, Rp, Ag not computed</translation>
    </message>
    <message>
        <source>引伸计的弹性段拟合未能取在 Rp 或 ReH 的 %1：取在 Fm 的 %1</source>
        <translation>The extensometer&apos;s elastic fit could not be taken on %1 of Rp or ReH: taken on %1 of Fm</translation>
    </message>
    <message>
        <source>引伸计的弹性段记录不足（力在 Fm 的 %1 之间少于 5 条）：E、Rp、Ag 不计算</source>
        <translation>Too few records on the extensometer&apos;s elastic range (fewer than 5 within %1 of Fm): E, Rp, Ag not computed</translation>
    </message>
    <message>
        <source>Rt0.5、Agt 未作起始段修正：没有引伸计的弹性段直线，应变从第一条记录算起</source>
        <translation>Rt0.5, Agt without toe correction: no elastic line of the extensometer, strain counted from the first record</translation>
    </message>
</context>
</TS>
