<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>sim::RigPanel</name>
    <message>
        <source>Forced stop</source>
        <translation>强行停机</translation>
    </message>
    <message>
        <source>Alarm high</source>
        <translation>上限报警</translation>
    </message>
    <message>
        <source>Alarm low</source>
        <translation>下限报警</translation>
    </message>
    <message>
        <source>Broken</source>
        <translation>断裂</translation>
    </message>
    <message>
        <source>Auto-stop</source>
        <translation>自动停机</translation>
    </message>
    <message>
        <source>Auto-return</source>
        <translation>自动返回</translation>
    </message>
    <message>
        <source>DQX7460 rig</source>
        <translation>DQX7460 试验台</translation>
    </message>
    <message>
        <source>The crosshead moves with this panel&apos;s Start and stops with its Stop; the program&apos;s 开始采集 only records.</source>
        <translation>横梁随本面板的“启动”运行、随“停止”停下；程序的“开始采集”只记录。</translation>
    </message>
    <message>
        <source>Buttons</source>
        <translation>按钮</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>启动</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Zero</source>
        <translation>清零</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>Travel limit</source>
        <translation>行程限位</translation>
    </message>
    <message>
        <source>Return home</source>
        <translation>返回原位</translation>
    </message>
    <message>
        <source>New specimen</source>
        <translation>装新试样</translation>
    </message>
    <message>
        <source>Output lines</source>
        <translation>输出信号</translation>
    </message>
    <message>
        <source>Crosshead</source>
        <translation>横梁</translation>
    </message>
    <message>
        <source>Force</source>
        <translation>力</translation>
    </message>
    <message>
        <source>Specimen</source>
        <translation>试样</translation>
    </message>
    <message>
        <source>Motion</source>
        <translation>运动</translation>
    </message>
    <message>
        <source>elastic</source>
        <translation>弹性</translation>
    </message>
    <message>
        <source>yield</source>
        <translation>屈服</translation>
    </message>
    <message>
        <source>hardening</source>
        <translation>强化</translation>
    </message>
    <message>
        <source>necking</source>
        <translation>颈缩</translation>
    </message>
    <message>
        <source>broken</source>
        <translation>已断裂</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>pulling</source>
        <translation>拉伸中</translation>
    </message>
    <message>
        <source>returning</source>
        <translation>返回中</translation>
    </message>
    <message>
        <source>%1 N (peak %2 N)</source>
        <translation>%1 N（峰值 %2 N）</translation>
    </message>
    <message>
        <source>%1, travel limit closed</source>
        <translation>%1，行程限位已闭合</translation>
    </message>
</context>
</TS>
