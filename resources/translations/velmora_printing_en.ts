<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>PrintFrame</name>
    <message>
        <source>打印列表</source>
        <translation>Print list</translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation>Print preview</translation>
    </message>
    <message>
        <source>无法开始打印作业。</source>
        <translation>Cannot start the print job.</translation>
    </message>
    <message>
        <source>打印...</source>
        <translation>Print...</translation>
    </message>
    <message>
        <source>放大</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>缩小</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>ResultsPage</name>
    <message>
        <source>试验名称</source>
        <translation>Test name</translation>
    </message>
    <message>
        <source>测试员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>启动时间</source>
        <translation>Start time</translation>
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
        <source>横截面积 S0、标距 L0 未给定：在菜单栏的 试样参数 中输入</source>
        <translation>Cross-section S0 and gauge length L0 not given: enter them in Specimen on the menu bar</translation>
    </message>
    <message>
        <source>横截面积 S0 未给定：在菜单栏的 试样参数 中输入</source>
        <translation>Cross-section S0 not given: enter it in Specimen on the menu bar</translation>
    </message>
    <message>
        <source>标距 L0 未给定：在菜单栏的 试样参数 中输入</source>
        <translation>Gauge length L0 not given: enter it in Specimen on the menu bar</translation>
    </message>
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
        <source>强度修约至 1 MPa，延伸率至 0.5 %（Ae 0.1 %），Z 至 1 %，E 至 100 MPa</source>
        <translation>Strengths rounded to 1 MPa, elongations to 0.5 % (Ae 0.1 %), Z to 1 %, E to 100 MPa</translation>
    </message>
</context>
</TS>
