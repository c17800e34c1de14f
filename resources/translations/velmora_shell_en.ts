<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ArchivePicker</name>
    <message>
        <source>测试存档 (*.dat)</source>
        <translation>Test archives (*.dat)</translation>
    </message>
</context>
<context>
    <name>CExtensometerReadout</name>
    <message>
        <source>引伸计</source>
        <translation>Extensometer</translation>
    </message>
    <message>
        <source>已取下</source>
        <translation>Taken off</translation>
    </message>
    <message>
        <source>应变 %1 %（标距）</source>
        <translation>Strain %1 % (of Le)</translation>
    </message>
</context>
<context>
    <name>CLanguageDlg</name>
    <message>
        <source>界面语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>新的界面语言在程序下次启动时生效。</source>
        <translation>The new language takes effect the next time the program starts.</translation>
    </message>
</context>
<context>
    <name>CMainControls</name>
    <message>
        <source>坐标线</source>
        <translation>Grid</translation>
    </message>
    <message>
        <source>报警线</source>
        <translation>Alarm lines</translation>
    </message>
    <message>
        <source>峰值线</source>
        <translation>Peak line</translation>
    </message>
    <message>
        <source>动直线</source>
        <translation>Level line</translation>
    </message>
    <message>
        <source>拉力线</source>
        <translation>Force line</translation>
    </message>
    <message>
        <source>位移线</source>
        <translation>Travel line</translation>
    </message>
    <message>
        <source>计算线</source>
        <translation>Ratio line</translation>
    </message>
    <message>
        <source>曲线放大</source>
        <translation>Zoom x5</translation>
    </message>
    <message>
        <source>250kHz 高速</source>
        <translation>250kHz fast</translation>
    </message>
    <message>
        <source>开始采集</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止采集</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>清除列表区</source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>传感器清零</source>
        <translation>Zero sensors</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>行程限位断开</source>
        <translation>Limit off</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>打开(&amp;O)...	F1</source>
        <translation>&amp;Open...	F1</translation>
    </message>
    <message>
        <source>保存(&amp;S)...	F2</source>
        <translation>&amp;Save...	F2</translation>
    </message>
    <message>
        <source>试验结果(&amp;T)...</source>
        <translation>&amp;Test results...</translation>
    </message>
    <message>
        <source>试验记录(&amp;L)...</source>
        <translation>Test &amp;log...</translation>
    </message>
    <message>
        <source>加载链柔度标定(&amp;C)...</source>
        <translation>&amp;Compliance calibration...</translation>
    </message>
    <message>
        <source>设置(&amp;U)</source>
        <translation>Sett&amp;ings</translation>
    </message>
    <message>
        <source>试样参数(&amp;P)</source>
        <translation>S&amp;pecimen</translation>
    </message>
    <message>
        <source>界面语言(&amp;G)</source>
        <translation>Lan&amp;guage</translation>
    </message>
    <message>
        <source>系列(&amp;E)</source>
        <translation>S&amp;eries</translation>
    </message>
    <message>
        <source>新建系列(&amp;N)...</source>
        <translation>&amp;New series...</translation>
    </message>
    <message>
        <source>系列结果(&amp;V)...</source>
        <translation>Series &amp;results...</translation>
    </message>
    <message>
        <source>标记无效(&amp;I)...</source>
        <translation>Mark &amp;invalid...</translation>
    </message>
    <message>
        <source>结束系列(&amp;E)</source>
        <translation>&amp;End series</translation>
    </message>
    <message>
        <source>开始采集(&amp;R)</source>
        <translation>Sta&amp;rt</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation>Print preview</translation>
    </message>
</context>
<context>
    <name>CRecordsModel</name>
    <message>
        <source>引伸计 (mm)</source>
        <translation>Extensometer (mm)</translation>
    </message>
</context>
<context>
    <name>CTestDlg</name>
    <message>
        <source>Orvane/计算机数据采集处理系统 http://www.velmora.example</source>
        <translation>Orvane/Computer Data Acquisition System http://www.velmora.example</translation>
    </message>
    <message>
        <source>设置错误</source>
        <translation>Settings error</translation>
    </message>
    <message>
        <source>试样参数文件无法读取：</source>
        <translation>The specimen file cannot be read: </translation>
    </message>
    <message>
        <source>试验记录</source>
        <translation>Test log</translation>
    </message>
    <message>
        <source>共享数据库</source>
        <translation>Shared database</translation>
    </message>
    <message>
        <source>列表区的测试数据尚未保存，新的参数将清除这些数据。
是否清除测试数据并保存参数？</source>
        <translation>The test in the list is not saved; the new settings will clear it.
Clear the test and save the settings?</translation>
    </message>
    <message>
        <source>参数设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>标记无效</source>
        <translation>Mark invalid</translation>
    </message>
    <message>
        <source>无效的原因（例如：断于标距外）；留空则恢复为有效：</source>
        <translation>Why it is invalid (for example: broke outside the gauge length); empty makes it valid again:</translation>
    </message>
    <message>
        <source>没有进行中的系列，列表区的试验也不属于任何系列。</source>
        <translation>No series is running, and the test in the list belongs to none.</translation>
    </message>
    <message>
        <source>系列结果</source>
        <translation>Series results</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>列表区的测试数据尚未保存，退出后将丢失。
是否退出程序？</source>
        <translation>The test in the list is not saved and will be lost.
Exit the program?</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>列表区的测试数据尚未保存。
是否清除测试数据？</source>
        <translation>The test in the list is not saved.
Clear it?</translation>
    </message>
    <message>
        <source>清除列表区</source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>引伸计</source>
        <translation>Extensometer</translation>
    </message>
</context>
<context>
    <name>CardNotices</name>
    <message>
        <source>250kHz 高速采集中断：USB数据采集器无应答。</source>
        <translation>250 kHz fast acquisition broken off: the USB acquisition card does not answer.</translation>
    </message>
    <message>
        <source>设备信息</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>250kHz 高速采集结束</source>
        <translation>250 kHz fast acquisition finished</translation>
    </message>
</context>
<context>
    <name>LimitTips</name>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>强行停机限值</source>
        <translation>Forced-stop limit</translation>
    </message>
    <message>
        <source>上限报警值</source>
        <translation>Alarm high</translation>
    </message>
    <message>
        <source>下限报警值</source>
        <translation>Alarm low</translation>
    </message>
    <message>
        <source>断裂判定值</source>
        <translation>Break value</translation>
    </message>
    <message>
        <source>：拉力达到此值时强行停机</source>
        <translation>: the rig stops when the force reaches it</translation>
    </message>
    <message>
        <source>：拉力达到此值时上限报警</source>
        <translation>: the high alarm sounds when the force reaches it</translation>
    </message>
    <message>
        <source>：拉力达到此值时下限报警</source>
        <translation>: the low alarm sounds when the force reaches it</translation>
    </message>
    <message>
        <source>：拉力从近期值回落达到此值即判为断裂</source>
        <translation>: a drop of the force from its peak by this much is a break</translation>
    </message>
    <message>
        <source>强行停机：拉力达到</source>
        <translation>Forced stop: the force reached the </translation>
    </message>
    <message>
        <source>，或行程限位开关动作</source>
        <translation>, or the travel-limit switch</translation>
    </message>
    <message>
        <source>上限报警：拉力达到</source>
        <translation>Alarm high: the force reached the </translation>
    </message>
    <message>
        <source>下限报警：拉力达到</source>
        <translation>Alarm low: the force reached the </translation>
    </message>
    <message>
        <source>断裂：拉力回落达到</source>
        <translation>Broken: the force dropped by the </translation>
    </message>
    <message>
        <source>断裂后自动停机</source>
        <translation>Auto-stop after the break</translation>
    </message>
    <message>
        <source>自动停机后自动返回</source>
        <translation>Auto-return after the auto-stop</translation>
    </message>
</context>
<context>
    <name>StatusText</name>
    <message>
        <source>空闲</source>
        <translation>Idle</translation>
    </message>
    <message>
        <source>采集中</source>
        <translation>Running</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>回放中</source>
        <translation>Playing back</translation>
    </message>
    <message>
        <source>回放结束</source>
        <translation>Playback ended</translation>
    </message>
    <message>
        <source>%1达到强制停机限 %2 %3</source>
        <translation>%1 reached the forced-stop limit %2 %3</translation>
    </message>
    <message>
        <source>行程限位开关动作</source>
        <translation>travel-limit switch engaged</translation>
    </message>
    <message>
        <source>强行停机：</source>
        <translation>Forced stop: </translation>
    </message>
    <message>
        <source>，且</source>
        <translation>, and </translation>
    </message>
    <message>
        <source>。横梁退离限位后按“开始采集”继续，或“保存”后“清除列表区”</source>
        <translation>. Move the crosshead off the limit, then Start to continue, or Save and Clear list</translation>
    </message>
    <message>
        <source>卸除载荷、横梁退离限位后</source>
        <translation>Unload the specimen and move the crosshead off the limit, then </translation>
    </message>
    <message>
        <source>卸除载荷后</source>
        <translation>Unload the specimen, then </translation>
    </message>
    <message>
        <source>。</source>
        <translation>. </translation>
    </message>
    <message>
        <source>“保存”本次试验，再“清除列表区”开始新试验</source>
        <translation>Save this test and Clear list to begin a new one</translation>
    </message>
    <message>
        <source>  试样 </source>
        <translation>  Specimen </translation>
    </message>
    <message>
        <source>（无效：%1）</source>
        <translation> (invalid: %1)</translation>
    </message>
    <message>
        <source>  下一试样 </source>
        <translation>  Next specimen </translation>
    </message>
    <message>
        <source>测试时间 %1 s</source>
        <translation>Test time %1 s</translation>
    </message>
    <message>
        <source>记录间隔 %1 ms / 设定 %2 ms</source>
        <translation>Interval %1 ms / set %2 ms</translation>
    </message>
    <message>
        <source>，跟不上设定周期</source>
        <translation>, cannot keep the period</translation>
    </message>
    <message>
        <source>采集器无应答，采集已停止，正在重新连接……</source>
        <translation>The card does not answer: acquisition stopped, reconnecting...</translation>
    </message>
    <message>
        <source>未连接采集器：只能打开历史文件回放</source>
        <translation>No card connected: only playback of stored tests</translation>
    </message>
    <message>
        <source>已保存：</source>
        <translation>Saved: </translation>
    </message>
    <message>
        <source>%1 项待发送到共享数据库（已保存在本机）</source>
        <translation>%1 waiting to be sent to the shared database (saved here)</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
</context>
</TS>
