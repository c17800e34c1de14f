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
    <message>
        <source>用法：velmora-results [选项] 文件|文件夹 ...
从保存的试验文件重新计算结果，不需要窗口：存档 &lt;名称&gt;&lt;时间&gt;.dat（旁边的 .ini
试验文件与 .csv 记录文件一并读取），或单独的记录文件 .csv。文件夹：其中每个存档，
以及旁边没有存档的记录文件。几个试验时，最后给出有效试样的统计。
  --format table|csv|json  输出格式（默认 table：名称、数值、单位对齐成列，然后说明）
  --series NAME            只取所给文件夹中系列 NAME 的试验
  --area MM2               横截面积 S0，mm²
  --diameter MM            圆形试样直径：S0 = pi d² / 4
  --width MM --thickness MM
                           矩形试样宽度与厚度：S0 = 宽 x 厚
  --gauge-length MM        标距 L0，mm
  --final-area MM2         断后最小横截面积 Su，mm²
  --final-gauge-length MM  断后标距 Lu，mm
  --proof-offset PCT       Rp 的规定塑性延伸，L0 的 %（默认取文件中的值，否则 0.2）
  --fit-range LOW-HIGH     弹性段拟合区间，参考力（Fm，再取 ReH 或 Rp）的 %，默认 10-40
  --break-value N          较早的记录文件没有断裂判定记录时所用的断裂判定值
  --update-store           以重新计算的结果更新存档所在文件夹的试验记录库（记下改动；
                           存档不变，只有存档可以更新）
  --lang en|zh             表格的语言（默认按区域设置：英语区域为 en，否则 zh）
  --help                   显示本说明并退出
  --version                显示版本并退出
命令行给出的值优先于文件中的值，输出注明哪些值来自命令行。
退出状态：0 全部读取；1 有文件被拒绝（其余照常输出）；2 用法错误。
</source>
        <translation>Usage: velmora-results [options] file|folder ...
Evaluates saved tests again from their files, without a window: an archive &lt;name&gt;&lt;time&gt;.dat
(read with the .ini test file and the .csv records file beside it), or a records file .csv
alone. A folder: each archive in it, and each records file without an archive beside it.
With several tests, the statistics of the valid specimens follow at the end.
  --format table|csv|json  the output (default table: name, value, unit in columns, then notes)
  --series NAME            only the tests of series NAME in the folders given
  --area MM2               cross-section S0, mm²
  --diameter MM            a round specimen&apos;s diameter: S0 = pi d² / 4
  --width MM --thickness MM
                           a flat specimen&apos;s width and thickness: S0 = width x thickness
  --gauge-length MM        gauge length L0, mm
  --final-area MM2         final cross-section Su, mm²
  --final-gauge-length MM  final gauge length Lu, mm
  --proof-offset PCT       Rp&apos;s plastic extension, % of L0 (default the file&apos;s, else 0.2)
  --fit-range LOW-HIGH     the elastic fit&apos;s range, % of the reference force (Fm, then ReH or
                           Rp), default 10-40
  --break-value N          the break value for older records files without a break record
  --update-store           update the results store of the archive&apos;s folder with the results
                           computed again (the changes are recorded; the archive is not
                           changed, and only archives can update it)
  --lang en|zh             the table&apos;s language (default by the locale: en for an English
                           locale, else zh)
  --help                   print this and exit
  --version                print the version and exit
Values given on the command line come before the files&apos; own, and the output says which.
Exit status: 0 all read; 1 some file refused (the rest printed as usual); 2 bad usage.
</translation>
    </message>
    <message>
        <source>S0 只能以一种方式给出：--area、--diameter，或 --width 与 --thickness</source>
        <translation>S0 is given one way only: --area, --diameter, or --width with --thickness</translation>
    </message>
    <message>
        <source>--width 与 --thickness 须一起给出</source>
        <translation>--width and --thickness go together</translation>
    </message>
    <message>
        <source>未知选项：%1</source>
        <translation>unknown option: %1</translation>
    </message>
    <message>
        <source>%1 需要一个值</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>--format 只取 table、csv 或 json：%1</source>
        <translation>--format takes table, csv or json: %1</translation>
    </message>
    <message>
        <source>--lang 只取 en 或 zh：%1</source>
        <translation>--lang takes en or zh: %1</translation>
    </message>
    <message>
        <source>--series 需要系列名称</source>
        <translation>--series needs a series name</translation>
    </message>
    <message>
        <source>--fit-range 须为 LOW-HIGH，0 &lt; LOW &lt; HIGH &lt;= 100：%1</source>
        <translation>--fit-range must be LOW-HIGH with 0 &lt; LOW &lt; HIGH &lt;= 100: %1</translation>
    </message>
    <message>
        <source>%1 须为正数（%2）：%3</source>
        <translation>%1 must be a positive number (%2): %3</translation>
    </message>
    <message>
        <source>没有给出文件或文件夹</source>
        <translation>no file or folder given</translation>
    </message>
</context>
</TS>
