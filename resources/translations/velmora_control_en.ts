<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>BoundTexts</name>
    <message>
        <source>次</source>
        <translation>recs</translation>
    </message>
    <message>
        <source>计数器</source>
        <translation>Counter</translation>
    </message>
    <message>
        <source>峰值</source>
        <translation>Peak</translation>
    </message>
    <message>
        <source>历史回放</source>
        <translation>Playback</translation>
    </message>
    <message>
        <source>%1线</source>
        <translation>%1 line</translation>
    </message>
</context>
<context>
    <name>RunController</name>
    <message>
        <source>文件信息</source>
        <translation>File</translation>
    </message>
    <message>
        <source>安全保护信息</source>
        <translation>Safety</translation>
    </message>
    <message>
        <source>设备信息</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>USB数据采集器正被另一个程序使用,只能&lt;打开&gt;历史文件回放。</source>
        <translation>The USB acquisition card is in use by another program: only playback of stored tests (Open) is possible.</translation>
    </message>
    <message>
        <source>USB数据采集器未连接,只能&lt;打开&gt;历史文件回放。
采集测试：请关闭程序，连接设备，重启程序。</source>
        <translation>The USB acquisition card is not connected: only playback of stored tests (Open) is possible.
To run tests: close the program, connect the card and start the program again.</translation>
    </message>
    <message>
        <source>上次程序结束时采集器的输出未复位（输出字 %1），已写入空闲输出字 00FF，报警、停机和返回信号均已释放。</source>
        <translation>The card&apos;s outputs were not reset when the program last ended (output word %1). The idle output word 00FF has been written: the alarm, stop and return lines are released.</translation>
    </message>
    <message>
        <source>强制停机的原因仍在（张力未低于强制停机限或行程限位开关动作），不能开始采集。</source>
        <translation>The cause of the forced stop is still there (the force is not below the forced-stop limit, or the travel-limit switch is engaged): cannot start.</translation>
    </message>
    <message>
        <source>上一个试样已断裂，其测试数据尚未保存。
请先保存或清除列表区，再开始新的试验。</source>
        <translation>The last specimen broke and its test is not saved.
Save it or clear the list before you start a new test.</translation>
    </message>
    <message>
        <source>采集信息</source>
        <translation>Acquisition</translation>
    </message>
    <message>
        <source>已开始....</source>
        <translation>Running...</translation>
    </message>
    <message>
        <source>停止回放</source>
        <translation>Stop playback</translation>
    </message>
    <message>
        <source>停止采集</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>行程限位接通</source>
        <translation>Limit on</translation>
    </message>
    <message>
        <source>回放结束</source>
        <translation>Playback end</translation>
    </message>
    <message>
        <source>继续回放</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>开始采集</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>已停止....</source>
        <translation>Stopped...</translation>
    </message>
    <message>
        <source>行程限位断开</source>
        <translation>Limit off</translation>
    </message>
    <message>
        <source>列表区没有测试数据，没有保存。</source>
        <translation>The list holds no test data: nothing was saved.</translation>
    </message>
    <message>
        <source>该测试数据已保存，没有再存一份：
%1</source>
        <translation>This test is already saved; no second copy was made:
%1</translation>
    </message>
    <message>
        <source>试验已保存，但未登记到试验记录库：%1
试验记录窗口的“重建索引”可从存档补登。</source>
        <translation>The test was saved but not entered in the test log: %1
&quot;Rebuild index&quot; in the test log window can enter it from the archive.</translation>
    </message>
    <message>
        <source>试验记录</source>
        <translation>Test log</translation>
    </message>
    <message>
        <source>回放中....</source>
        <translation>Playing...</translation>
    </message>
    <message>
        <source>列表区的试验不是已保存的系列试样，不能标记。</source>
        <translation>The test in the list is not a saved specimen of a series: it cannot be marked.</translation>
    </message>
    <message>
        <source>记录已满 %1 次，采集已停止。请保存测试数据。</source>
        <translation>The record table is full (%1 records): acquisition stopped. Please save the test.</translation>
    </message>
    <message>
        <source>安全限制 强行停机</source>
        <translation>Safety limit: forced stop</translation>
    </message>
    <message>
        <source>USB数据采集器无应答，采集已停止，记录已保留。
正在重新连接采集器……</source>
        <translation>The USB acquisition card does not answer: acquisition stopped, the records are kept.
Reconnecting to the card...</translation>
    </message>
    <message>
        <source>USB数据采集器已重新连接，可以继续采集。</source>
        <translation>The USB acquisition card is connected again: you can continue.</translation>
    </message>
    <message>
        <source>引伸计</source>
        <translation>Extensometer</translation>
    </message>
    <message>
        <source>请取下引伸计，然后按开始采集继续</source>
        <translation>Take the extensometer off, then press Start to continue</translation>
    </message>
    <message>
        <source>试验存档已保存，但引伸计记录没有保存：%1</source>
        <translation>The test archive was saved, but the extensometer records were not: %1</translation>
    </message>
</context>
</TS>
