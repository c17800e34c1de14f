<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CSeriesDlg</name>
    <message>
        <source>GB/T 228.1 方法 A（应变速率控制）</source>
        <translation>GB/T 228.1 method A (strain rate control)</translation>
    </message>
    <message>
        <source>GB/T 228.1 方法 B（应力速率控制）</source>
        <translation>GB/T 228.1 method B (stress rate control)</translation>
    </message>
    <message>
        <source>ISO 6892-1 方法 A</source>
        <translation>ISO 6892-1 method A</translation>
    </message>
    <message>
        <source>ISO 6892-1 方法 B</source>
        <translation>ISO 6892-1 method B</translation>
    </message>
    <message>
        <source>新建系列</source>
        <translation>New series</translation>
    </message>
    <message>
        <source>系列名称</source>
        <translation>Series name</translation>
    </message>
    <message>
        <source>材料</source>
        <translation>Material</translation>
    </message>
    <message>
        <source>试验方法</source>
        <translation>Test method</translation>
    </message>
    <message>
        <source>操作者</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>计划试样数</source>
        <translation>Specimens planned</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>系列“%1”已有 %2 个试样。
是否继续该系列？</source>
        <translation>The series “%1” already has %2 specimens.
Continue that series?</translation>
    </message>
</context>
<context>
    <name>CSeriesWnd</name>
    <message>
        <source>系列试验 %1</source>
        <translation>Series %1</translation>
    </message>
    <message>
        <source>导出图像</source>
        <translation>Export image</translation>
    </message>
    <message>
        <source>保存表格</source>
        <translation>Save tables</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>导出 PDF</source>
        <translation>Export PDF</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>系列：%1    材料：%2    方法：%3    操作员：%4
试样：%5（有效 %6，计划 %7）    创建时间：%8    备注：%9</source>
        <translation>Series: %1    Material: %2    Method: %3    Operator: %4
Specimens: %5 (valid %6, planned %7)    Created: %8    Notes: %9</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>试样</source>
        <translation>Specimen</translation>
    </message>
    <message>
        <source>排除原因</source>
        <translation>Reason excluded</translation>
    </message>
    <message>
        <source>（排除）</source>
        <translation> (excluded)</translation>
    </message>
    <message>
        <source>无法写入 PDF 文件：</source>
        <translation>Cannot write the PDF file: </translation>
    </message>
    <message>
        <source>PNG 图像 (*.png);;SVG 图像 (*.svg)</source>
        <translation>PNG image (*.png);;SVG image (*.svg)</translation>
    </message>
    <message>
        <source>无法开始打印作业。</source>
        <translation>Cannot start the print job.</translation>
    </message>
    <message>
        <source>PDF 文件 (*.pdf)</source>
        <translation>PDF file (*.pdf)</translation>
    </message>
</context>
<context>
    <name>SeriesChart</name>
    <message>
        <source>系列曲线</source>
        <translation>Series curves</translation>
    </message>
    <message>
        <source>无法写入图像：</source>
        <translation>Cannot write the image: </translation>
    </message>
</context>
<context>
    <name>SeriesReport</name>
    <message>
        <source>%1 已排除，不计入统计：%2</source>
        <translation>%1 excluded, not counted in the statistics: %2</translation>
    </message>
    <message>
        <source>统计仅含有效试样；强度修约至 1 MPa，延伸率至 0.5 %</source>
        <translation>Statistics of the valid specimens only; strengths rounded to 1 MPa, elongations to 0.5 %</translation>
    </message>
    <message>
        <source>系列试验报告</source>
        <translation>Series test report</translation>
    </message>
    <message>
        <source>%1（有效 %2，计划 %3）</source>
        <translation>%1 (valid %2, planned %3)</translation>
    </message>
    <message>
        <source>系列名称：</source>
        <translation>Series name: </translation>
    </message>
    <message>
        <source>材料：</source>
        <translation>Material: </translation>
    </message>
    <message>
        <source>试验方法：</source>
        <translation>Test method: </translation>
    </message>
    <message>
        <source>操作员：</source>
        <translation>Operator: </translation>
    </message>
    <message>
        <source>试样数：</source>
        <translation>Specimens: </translation>
    </message>
    <message>
        <source>创建时间：</source>
        <translation>Created: </translation>
    </message>
    <message>
        <source>备注：</source>
        <translation>Notes: </translation>
    </message>
    <message>
        <source>测试员签名：</source>
        <translation>Operator&apos;s signature: </translation>
    </message>
    <message>
        <source>试样</source>
        <translation>Specimen</translation>
    </message>
    <message>
        <source> (排除)</source>
        <translation> (excluded)</translation>
    </message>
</context>
<context>
    <name>SeriesTexts</name>
    <message>
        <source>平均值</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>标准差 s</source>
        <translation>Standard deviation s</translation>
    </message>
    <message>
        <source>变异系数 CV (%)</source>
        <translation>Coefficient of variation CV (%)</translation>
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
        <source>95% 置信下限</source>
        <translation>95% confidence, lower</translation>
    </message>
    <message>
        <source>95% 置信上限</source>
        <translation>95% confidence, upper</translation>
    </message>
    <message>
        <source>应变 (%)</source>
        <translation>Strain (%)</translation>
    </message>
    <message>
        <source>应力 (MPa)</source>
        <translation>Stress (MPa)</translation>
    </message>
    <message>
        <source>力</source>
        <translation>Force</translation>
    </message>
    <message>
        <source>位移</source>
        <translation>Displacement</translation>
    </message>
    <message>
        <source>%1 无 S0、L0，未画入应力-应变曲线</source>
        <translation>%1 has no S0, L0: not drawn on the stress-strain curve</translation>
    </message>
</context>
</TS>
