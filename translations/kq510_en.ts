<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ChipIdWindow</name>
    <message>
        <source>通过芯片序列号设置ID</source>
        <translation>Set ID by chip serial</translation>
    </message>
    <message>
        <source>机器列表</source>
        <translation>Machines</translation>
    </message>
    <message>
        <source>序列号</source>
        <translation>Serial</translation>
    </message>
    <message>
        <source>%1条无效记录已跳过</source>
        <translation>%1 invalid records skipped</translation>
    </message>
    <message>
        <source>另有%1台机器超出%2台，未列出</source>
        <translation>%1 more machines beyond %2 not listed</translation>
    </message>
    <message>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
</context>
<context>
    <name>ControllersWindow</name>
    <message>
        <source>控制器设置</source>
        <translation>Controllers</translation>
    </message>
    <message>
        <source>机器</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>颜色顺序</source>
        <translation>Colour order</translation>
    </message>
    <message>
        <source>每端口像素</source>
        <translation>Pixels per port</translation>
    </message>
    <message>
        <source>每域通道</source>
        <translation>Channels per universe</translation>
    </message>
    <message>
        <source>组播</source>
        <translation>Multicast</translation>
    </message>
    <message>
        <source>各端口占用</source>
        <translation>Ports take</translation>
    </message>
    <message>
        <source>机器%1%2</source>
        <translation>Machine %1 %2</translation>
    </message>
    <message>
        <source>本机型</source>
        <translation>KQ-510</translation>
    </message>
    <message>
        <source>Art-Net同步（ArtSync）</source>
        <translation>Art-Net sync (ArtSync)</translation>
    </message>
    <message>
        <source>DDP同步推送</source>
        <translation>DDP push after all</translation>
    </message>
    <message>
        <source>E1.31优先级</source>
        <translation>E1.31 priority</translation>
    </message>
    <message>
        <source>E1.31同步域（0：不同步）</source>
        <translation>E1.31 sync universe (0: none)</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>导出…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>导入…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>E1.31优先级只能是0到%1</source>
        <translation>E1.31 priority must be 0 to %1</translation>
    </message>
    <message>
        <source>E1.31同步域只能是0到%1</source>
        <translation>the E1.31 sync universe must be 0 to %1</translation>
    </message>
    <message>
        <source>每端口像素只能是1到%1</source>
        <translation>pixels per port must be 1 to %1</translation>
    </message>
    <message>
        <source>E1.31的域只能是%1到%2</source>
        <translation>E1.31 universes are %1 to %2</translation>
    </message>
    <message>
        <source>Art-Net的端口地址只能是0到%1</source>
        <translation>Art-Net port-addresses are 0 to %1</translation>
    </message>
    <message>
        <source>DDP偏移只能是0到%1</source>
        <translation>a DDP offset is 0 to %1</translation>
    </message>
    <message>
        <source>只能输入数字</source>
        <translation>numbers only</translation>
    </message>
    <message>
        <source>机器%1的IP地址不是数字地址（例如 192.168.1.201）</source>
        <translation>machine %1's IP address is not a numeric address (such as 192.168.1.201)</translation>
    </message>
    <message>
        <source>字节 </source>
        <translation>bytes </translation>
    </message>
    <message>
        <source>域 </source>
        <translation>universes </translation>
    </message>
    <message>
        <source>8050帧</source>
        <translation>8050 frames</translation>
    </message>
    <message>
        <source>控制器表没有保存：%1</source>
        <translation>The controllers were not saved: %1</translation>
    </message>
    <message>
        <source>文件保存失败！<byte value="xd" />
%1</source>
        <translation>The file could not be saved!<byte value="xd" />
%1</translation>
    </message>
    <message>
        <source>已保存</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>已导出：%1</source>
        <translation>Exported: %1</translation>
    </message>
    <message>
        <source>文件不存在！</source>
        <translation>The file does not exist!</translation>
    </message>
    <message>
        <source>文件错误！%1</source>
        <translation>File error! %1</translation>
    </message>
    <message>
        <source>已导入，保存后生效</source>
        <translation>Imported; takes effect once saved</translation>
    </message>
    <message>
        <source>起始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>起始通道只能是1到%1</source>
        <translation>a start channel is 1 to %1</translation>
    </message>
    <message>
        <source>序列文件（FSEQ）：%1；导出和导入只看模型用到的端口</source>
        <translation>sequence files (FSEQ): %1; an export or import looks at the ports of the show's model only</translation>
    </message>
    <message>
        <source>FSEQ通道</source>
        <translation>FSEQ channels</translation>
    </message>
</context>
<context>
    <name>DmxPanel</name>
    <message>
        <source>Dmx512通道模拟</source>
        <translation>DMX512 channel simulation</translation>
    </message>
    <message>
        <source>通道%1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>通道%1亮度</source>
        <translation>Channel %1 level</translation>
    </message>
</context>
<context>
    <name>DownloadPanel</name>
    <message>
        <source>下载文件</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>下载到选中机器</source>
        <translation>Download to selected</translation>
    </message>
    <message>
        <source>下载所有灯光文件</source>
        <translation>Download all files</translation>
    </message>
    <message>
        <source>升级程序</source>
        <translation>Upgrade firmware</translation>
    </message>
    <message>
        <source>查看版本号</source>
        <translation>Get versions</translation>
    </message>
    <message>
        <source>重启所有机器</source>
        <translation>Restart all</translation>
    </message>
    <message>
        <source>设置
(通过ID)</source>
        <translation>Set up
(by ID)</translation>
    </message>
    <message>
        <source>通过序列号
设置ID</source>
        <translation>Set ID by
serial no.</translation>
    </message>
    <message>
        <source>获取版本号-&gt;
</source>
        <translation>Get versions-&gt;
</translation>
    </message>
    <message>
        <source>获取失败</source>
        <translation>No reply</translation>
    </message>
    <message>
        <source>传输记录</source>
        <translation>Transfer log</translation>
    </message>
    <message>
        <source>控制器设置</source>
        <translation>Controllers</translation>
    </message>
</context>
<context>
    <name>FactoryTestWindow</name>
    <message>
        <source>KQ-510 工厂测试 V1.1</source>
        <translation>KQ-510 Factory test V1.1</translation>
    </message>
</context>
<context>
    <name>FilePanel</name>
    <message>
        <source>文件操作</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>生成播放文件</source>
        <translation>Build playback files</translation>
    </message>
    <message>
        <source>只限当前素材</source>
        <translation>Current show only</translation>
    </message>
    <message>
        <source>读取文件</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>Save file</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>自动备份</source>
        <translation>Auto backup</translation>
    </message>
    <message>
        <source>正在生成文件</source>
        <translation>Building files…</translation>
    </message>
    <message>
        <source>已经生成文件 !</source>
        <translation>Playback files built!</translation>
    </message>
    <message>
        <source>文件保存失败！</source>
        <translation>Could not save the files!</translation>
    </message>
    <message>
        <source><byte value="xd" />
以下素材文件已损坏，没有加入播放文件：<byte value="xd" />
</source>
        <translation><byte value="xd" />
These show files are damaged and were left out of the playback files:<byte value="xd" />
</translation>
    </message>
    <message>
        <source>导出FSEQ…</source>
        <translation>Export FSEQ…</translation>
    </message>
    <message>
        <source>导入FSEQ…</source>
        <translation>Import FSEQ…</translation>
    </message>
    <message>
        <source>导出FSEQ</source>
        <translation>Export FSEQ</translation>
    </message>
    <message>
        <source>序列文件 (*.fseq)</source>
        <translation>Sequence files (*.fseq)</translation>
    </message>
    <message>
        <source>正在导出</source>
        <translation>Exporting</translation>
    </message>
    <message>
        <source>导出完成！<byte value="xd" />
%1</source>
        <translation>Export done!<byte value="xd" />
%1</translation>
    </message>
    <message>
        <source>导出失败：%1</source>
        <translation>Export failed: %1</translation>
    </message>
    <message>
        <source>导入FSEQ</source>
        <translation>Import FSEQ</translation>
    </message>
    <message>
        <source>序列文件的步长是%1毫秒，机器只能播放30到200毫秒的帧时间。<byte value="xd" />
按帧时间%2毫秒重新取样吗？</source>
        <translation>The sequence file steps %1 ms at a time; the machines play frame periods of 30 to 200 ms only.<byte value="xd" />
Resample it to the frame period of %2 ms?</translation>
    </message>
    <message>
        <source>素材%1已经有录制的帧。要用这个序列文件替换它们吗？</source>
        <translation>Show %1 has recorded frames. Replace them with this sequence file?</translation>
    </message>
    <message>
        <source>正在导入</source>
        <translation>Importing</translation>
    </message>
    <message>
        <source>导入失败：%1</source>
        <translation>Import failed: %1</translation>
    </message>
    <message>
        <source>导入完成！素材%1：%2帧，帧时间%3毫秒</source>
        <translation>Import done! Show %1: %2 frames, frame period %3 ms</translation>
    </message>
    <message>
        <source><byte value="xd" />
有%1个通道不属于任何机器，没有导入</source>
        <translation><byte value="xd" />
%1 channels belong to no machine and were not imported</translation>
    </message>
</context>
<context>
    <name>LedTestPanel</name>
    <message>
        <source>测试灯带</source>
        <translation>Strip test</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>机器</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>颜色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>灭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>跑马慢速</source>
        <translation>Chase slow</translation>
    </message>
    <message>
        <source>跑马快速</source>
        <translation>Chase fast</translation>
    </message>
</context>
<context>
    <name>MachineParametersWindow</name>
    <message>
        <source>设置机器</source>
        <translation>Machine settings</translation>
    </message>
    <message>
        <source>机器</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>机器参数</source>
        <translation>Machine parameters</translation>
    </message>
    <message>
        <source>收到%1个回复，无法确定是哪台机器的参数。ID相同的机器请用“通过序列号设置ID”分开设置。</source>
        <translation>%1 replies received: cannot tell which machine the parameters are from. Set machines that share an ID one by one with “Set ID by serial”.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>建模</source>
        <translation>Modelling</translation>
    </message>
    <message>
        <source>版本说明</source>
        <translation>Version notes</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>界面语言已保存，下次启动程序时生效。</source>
        <translation>The language is saved; it takes effect the next time the program starts.</translation>
    </message>
    <message>
        <source>正在录制，请先停止录制再建模。</source>
        <translation>Recording: stop the recording before modelling.</translation>
    </message>
    <message>
        <source>操作状态</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>断开</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>录制</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>素材编辑</source>
        <translation>Review</translation>
    </message>
    <message>
        <source>DMX512模拟</source>
        <translation>DMX512</translation>
    </message>
    <message>
        <source>测试灯带</source>
        <translation>Strip test</translation>
    </message>
    <message>
        <source>下载文件</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>文件操作</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>模型不存在</source>
        <translation>No model file</translation>
    </message>
</context>
<context>
    <name>MaterialEditor</name>
    <message>
        <source>反向</source>
        <translation>Reverse</translation>
    </message>
    <message>
        <source>自动下移</source>
        <translation>Auto move down</translation>
    </message>
    <message>
        <source>自动反向</source>
        <translation>Auto reverse</translation>
    </message>
    <message>
        <source>所有素材反向</source>
        <translation>Reverse all runs</translation>
    </message>
    <message>
        <source>X轴反向</source>
        <translation>Reverse X</translation>
    </message>
    <message>
        <source>Y轴反向</source>
        <translation>Reverse Y</translation>
    </message>
    <message>
        <source>机器编号</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>端口编号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>起始地址</source>
        <translation>Start address</translation>
    </message>
    <message>
        <source>结束地址</source>
        <translation>End address</translation>
    </message>
    <message>
        <source>形状</source>
        <translation>Shape</translation>
    </message>
    <message>
        <source>点数</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>角度</source>
        <translation>Angle</translation>
    </message>
    <message>
        <source>素材备注</source>
        <translation>Run note</translation>
    </message>
    <message>
        <source>模型长度</source>
        <translation>Model length</translation>
    </message>
    <message>
        <source>模型宽度</source>
        <translation>Model width</translation>
    </message>
    <message>
        <source>模型备注</source>
        <translation>Model note</translation>
    </message>
    <message>
        <source>移动数量</source>
        <translation>Move count</translation>
    </message>
    <message>
        <source>移动步进</source>
        <translation>Move step</translation>
    </message>
    <message>
        <source>复制数量</source>
        <translation>Copy count</translation>
    </message>
    <message>
        <source>快捷按键</source>
        <translation>Shortcut keys</translation>
    </message>
    <message>
        <source>模型长度和宽度只能是1到%1</source>
        <translation>Model length and width must be 1 to %1</translation>
    </message>
    <message>
        <source>%1素材</source>
        <translation>Pixel run %1</translation>
    </message>
    <message>
        <source>移动</source>
        <translation>Move</translation>
    </message>
</context>
<context>
    <name>ModelMenus</name>
    <message>
        <source>【模型%1】</source>
        <translation>[Model %1]</translation>
    </message>
    <message>
        <source>模型%1</source>
        <translation>Model %1</translation>
    </message>
    <message>
        <source>模型文件</source>
        <translation>Model file</translation>
    </message>
    <message>
        <source>打开模型</source>
        <translation>Open model</translation>
    </message>
    <message>
        <source>保存模型</source>
        <translation>Save model</translation>
    </message>
    <message>
        <source>颜色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>模型%1 %2</source>
        <translation>Model %1 %2</translation>
    </message>
    <message>
        <source>【模型%1】(%2,%3) %4</source>
        <translation>[Model %1] (%2 x %3) %4</translation>
    </message>
    <message>
        <source>【%1】</source>
        <translation>[%1]</translation>
    </message>
</context>
<context>
    <name>ModellingWindow</name>
    <message>
        <source>建模</source>
        <translation>Modelling</translation>
    </message>
    <message>
        <source>%1模型</source>
        <translation>Model %1</translation>
    </message>
    <message>
        <source>接线检查：点击一项选中该素材</source>
        <translation>Wiring check: click an entry to select its pixel run</translation>
    </message>
    <message>
        <source>插入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>确定要清空吗？</source>
        <translation>Clear all pixel runs?</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>打开模板</source>
        <translation>Open template</translation>
    </message>
    <message>
        <source>原点</source>
        <translation>Origin</translation>
    </message>
    <message>
        <source>适合窗口 (F)</source>
        <translation>Fit (F)</translation>
    </message>
    <message>
        <source>自增复制到下一个</source>
        <translation>Auto-copy to next</translation>
    </message>
    <message>
        <source>横竖切换</source>
        <translation>Swap row/column</translation>
    </message>
    <message>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>重做</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>撤销 (Ctrl+Shift+Z)</source>
        <translation>Undo (Ctrl+Shift+Z)</translation>
    </message>
    <message>
        <source>重做 (Ctrl+Y)</source>
        <translation>Redo (Ctrl+Y)</translation>
    </message>
    <message>
        <source>测试</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>接线检查：没有发现问题</source>
        <translation>Wiring check: no problems found</translation>
    </message>
    <message>
        <source>剪贴</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>素材列表</source>
        <translation>Pixel runs</translation>
    </message>
    <message>
        <source>接线检查</source>
        <translation>Wiring check</translation>
    </message>
</context>
<context>
    <name>NetworkMenu</name>
    <message>
        <source>网络</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>网卡</source>
        <translation>Network adapter</translation>
    </message>
    <message>
        <source>连接机器网络</source>
        <translation>Connect machine network</translation>
    </message>
    <message>
        <source>断开机器网络</source>
        <translation>Disconnect machine network</translation>
    </message>
    <message>
        <source>没有可用的网卡</source>
        <translation>No network adapter available</translation>
    </message>
    <message>
        <source>正在设置网卡，请稍候</source>
        <translation>Setting up the network adapter, please wait</translation>
    </message>
    <message>
        <source>已连接</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>已断开</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <source>请先在“网卡”中选择要设置的网卡</source>
        <translation>First choose the network adapter to set under “Network adapter”.</translation>
    </message>
    <message>
        <source>网络（正在设置网卡…）</source>
        <translation>Network (setting up adapter…)</translation>
    </message>
    <message>
        <source>控制器设置</source>
        <translation>Controllers</translation>
    </message>
</context>
<context>
    <name>PositionWindow</name>
    <message>
        <source>位置示意</source>
        <translation>Position window</translation>
    </message>
    <message>
        <source>拖动移动位置；W A S D 每次移动一个像素；回车键单步录制</source>
        <translation>Drag to move; W A S D move one pixel; Enter: single step</translation>
    </message>
    <message>
        <source>位置示意 %1×%2  (%3, %4)</source>
        <translation>Position %1×%2  (%3, %4)</translation>
    </message>
</context>
<context>
    <name>PreviewWindow</name>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>适合窗口</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>导出动画…</source>
        <translation>Export animation…</translation>
    </message>
    <message>
        <source>素材</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>模型</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>素材%1不能预览：%2</source>
        <translation>Show %1 cannot be previewed: %2</translation>
    </message>
    <message>
        <source>素材%1，模型%2，%3个像素；有帧文件的机器：%4</source>
        <translation>Show %1, model %2, %3 pixels; machines with frame files: %4</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>第%1帧/共%2帧</source>
        <translation>Frame %1 of %2</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>导出动画</source>
        <translation>Export animation</translation>
    </message>
    <message>
        <source>动画 (*.gif *.webp)</source>
        <translation>Animation (*.gif *.webp)</translation>
    </message>
    <message>
        <source>正在导出：%1/%2帧</source>
        <translation>Exporting: frame %1 of %2</translation>
    </message>
    <message>
        <source>已导出：%1</source>
        <translation>Exported: %1</translation>
    </message>
    <message>
        <source>导出失败：%1</source>
        <translation>Export failed: %1</translation>
    </message>
    <message>
        <source>导出完成！<byte value="xd" />
%1</source>
        <translation>Export finished!<byte value="xd" />
%1</translation>
    </message>
    <message>
        <source>帧</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>导出结束后打开素材%1</source>
        <translation>Show %1 opens when the export is over</translation>
    </message>
    <message>
        <source>模型%1 × %2像素太大，按比例%3导出为%4 × %5像素的画面。</source>
        <translation>The %1 x %2 model is too large for one picture: exported at scale %3, %4 x %5 pixels.</translation>
    </message>
    <message>
        <source>（导出结束后打开素材%1）</source>
        <translation> (show %1 opens when the export is over)</translation>
    </message>
</context>
<context>
    <name>R770SwitchWindow</name>
    <message>
        <source>不检测R-770</source>
        <translation>Don't detect R-770</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>On</translation>
    </message>
</context>
<context>
    <name>RecordingPanel</name>
    <message>
        <source>素材录制</source>
        <translation>Show recording</translation>
    </message>
    <message>
        <source>素材</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>对应模型</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>当前帧</source>
        <translation>Current frame</translation>
    </message>
    <message>
        <source>位置窗口</source>
        <translation>Position window</translation>
    </message>
    <message>
        <source>帧间隔(毫秒)</source>
        <translation>Frame interval (ms)</translation>
    </message>
    <message>
        <source>重新录制</source>
        <translation>Record anew</translation>
    </message>
    <message>
        <source>自动查找相似帧</source>
        <translation>Find loop point</translation>
    </message>
    <message>
        <source>淡入淡出</source>
        <translation>Fade in/out</translation>
    </message>
    <message>
        <source>单步录制</source>
        <translation>Single step</translation>
    </message>
    <message>
        <source>线条显示</source>
        <translation>Show lines</translation>
    </message>
    <message>
        <source>停止
录制</source>
        <translation>Stop
recording</translation>
    </message>
    <message>
        <source>在位置显示界面按确认键到下一步</source>
        <translation>Press Enter in the position window for the next step</translation>
    </message>
    <message>
        <source>素材录制   </source>
        <translation> – Show recording   </translation>
    </message>
    <message>
        <source>正在生成文件！</source>
        <translation>Saving files…</translation>
    </message>
    <message>
        <source>文件保存失败！</source>
        <translation>Saving the files failed!</translation>
    </message>
    <message>
        <source>停止录制</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <source>无法截取屏幕（%1），没有新的画面发送到机器。</source>
        <translation>Cannot capture the screen (%1); no new picture is sent to the machines.</translation>
    </message>
    <message>
        <source>外挂画面：已收到 %1，已丢弃 %2，无效消息 %3</source>
        <translation>Plug-in pictures: %1 received, %2 dropped, %3 invalid messages</translation>
    </message>
</context>
<context>
    <name>ReviewPanel</name>
    <message>
        <source>素材编辑</source>
        <translation>Review</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>删除帧</source>
        <translation>Delete frame</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>素材</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>帧</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>素材说明</source>
        <translation>Show note</translation>
    </message>
    <message>
        <source>共%1帧</source>
        <translation>%1 frames</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>当前帧</source>
        <translation>Current frame</translation>
    </message>
</context>
<context>
    <name>VersionNotesDialog</name>
    <message>
        <source>版本说明</source>
        <translation>Version notes</translation>
    </message>
    <message>
        <source>软件版本</source>
        <translation>Versions</translation>
    </message>
    <message>
        <source>建模快捷键</source>
        <translation>Modelling keys</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>说明内容</source>
        <translation>Notes</translation>
    </message>
</context>
<context>
    <name>kq</name>
    <message>
        <source>DMX地址必须是0-65535的数字！</source>
        <translation>DMX address must be a number from 0 to 65535!</translation>
    </message>
    <message>
        <source>播放文件必须是0-255的数字！</source>
        <translation>Playback file must be a number from 0 to 255!</translation>
    </message>
    <message>
        <source>ID必须是1-255的数字！</source>
        <translation>ID must be a number from 1 to 255!</translation>
    </message>
    <message>
        <source>播放时间必须是0-65535的数字！</source>
        <translation>Play time must be a number from 0 to 65535!</translation>
    </message>
    <message>
        <source>序列号=%1  ID=%2  DMX=%3</source>
        <translation>Serial=%1  ID=%2  DMX=%3</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>DMX地址</source>
        <translation>DMX address</translation>
    </message>
    <message>
        <source>播放时间</source>
        <translation>Play time</translation>
    </message>
    <message>
        <source>播放文件</source>
        <translation>Playback file</translation>
    </message>
    <message>
        <source>0表示循环播放所有</source>
        <translation>0 plays all in a loop</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>测试模式（KQ510_LOOPBACK_ONLY=1）下不会更改电脑的网卡</source>
        <translation>In test mode (KQ510_LOOPBACK_ONLY=1) the PC's network adapter is not changed</translation>
    </message>
    <message>
        <source>无法运行 nmcli：%1</source>
        <translation>Cannot run nmcli: %1</translation>
    </message>
    <message>
        <source>nmcli 异常退出</source>
        <translation>nmcli exited abnormally</translation>
    </message>
    <message>
        <source>nmcli 退出码 %1</source>
        <translation>nmcli exit code %1</translation>
    </message>
    <message>
        <source>nmcli 没有回应</source>
        <translation>nmcli is not responding</translation>
    </message>
    <message>
        <source>网卡 %1 没有连接配置</source>
        <translation>Network adapter %1 has no connection profile</translation>
    </message>
    <message>
        <source>设置失败</source>
        <translation>Setting failed</translation>
    </message>
    <message>
        <source>设置成功</source>
        <translation>Set successfully</translation>
    </message>
    <message>
        <source>IP地址和子网掩码设置成功, </source>
        <translation>IP address and subnet mask set, </translation>
    </message>
    <message>
        <source>IP地址或子网掩码设置失败, </source>
        <translation>IP address or subnet mask not set, </translation>
    </message>
    <message>
        <source>默认网关设置成功, </source>
        <translation>default gateway set, </translation>
    </message>
    <message>
        <source>默认网关设置失败, </source>
        <translation>default gateway not set, </translation>
    </message>
    <message>
        <source>DNS设置成功</source>
        <translation>DNS set</translation>
    </message>
    <message>
        <source>DNS设置失败</source>
        <translation>DNS not set</translation>
    </message>
    <message>
        <source>无法读取网卡列表：%1</source>
        <translation>Cannot read the list of network adapters: %1</translation>
    </message>
    <message>
        <source>子网掩码“%1”无效</source>
        <translation>Subnet mask “%1” is not valid</translation>
    </message>
    <message>
        <source>自动获取IP设置失败</source>
        <translation>Setting automatic IP failed</translation>
    </message>
    <message>
        <source>DHCP已经开启</source>
        <translation>DHCP is already on</translation>
    </message>
    <message>
        <source><byte value="xd" />
网卡的配置已经改了，但没有生效；要恢复自动获取IP，请点击“断开机器网络”。</source>
        <translation><byte value="xd" />
The network adapter's settings were changed but have not taken effect; to get the IP automatically again, click “Disconnect machine network”.</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>文件 (*.%1)</source>
        <translation>Files (*.%1)</translation>
    </message>
    <message>
        <source>不能保存的字符：%1（只能使用GBK字符）</source>
        <translation>Cannot be saved: %1 (only characters of code page 936 (GBK))</translation>
    </message>
    <message>
        <source>设置文件无法读取，设置没有保存！<byte value="xd" />
</source>
        <translation>The settings file cannot be read; the settings were not saved!<byte value="xd" />
</translation>
    </message>
    <message>
        <source>正在等待机器回复，请稍后再试。</source>
        <translation>Waiting for the machines to reply; try again in a moment.</translation>
    </message>
    <message>
        <source>地址“%1”不是IPv4地址，没有发送。请在system.ini中填写数字地址（例如 192.168.1.201）。</source>
        <translation>The address "%1" is not an IPv4 address; nothing was sent. Enter a numeric address in system.ini (e.g. 192.168.1.201).</translation>
    </message>
    <message>
        <source>屏幕共享已结束</source>
        <translation>Screen sharing ended</translation>
    </message>
    <message>
        <source>PipeWire无法启动</source>
        <translation>PipeWire cannot start</translation>
    </message>
    <message>
        <source>无法连接屏幕共享的视频流</source>
        <translation>Cannot connect the screen sharing video stream</translation>
    </message>
    <message>
        <source>无法连接PipeWire</source>
        <translation>Cannot connect to PipeWire</translation>
    </message>
    <message>
        <source>Qt屏幕截图</source>
        <translation>Qt screen grab</translation>
    </message>
    <message>
        <source>Wayland桌面请在登录时选择X11（Xorg）会话。</source>
        <translation>On a Wayland desktop, choose the X11 (Xorg) session when logging in.</translation>
    </message>
    <message>
        <source>再次选择操作状态“录制”时，桌面会重新询问要共享的屏幕。</source>
        <translation>When you choose the mode “Record” again, the desktop asks again which screen to share.</translation>
    </message>
    <message>
        <source>屏幕共享被拒绝</source>
        <translation>Screen sharing was refused</translation>
    </message>
    <message>
        <source>桌面没有共享屏幕</source>
        <translation>The desktop shared no screen</translation>
    </message>
    <message>
        <source>屏幕共享失败：%1</source>
        <translation>Screen sharing failed: %1</translation>
    </message>
    <message>
        <source>没有桌面会话总线（D-Bus）</source>
        <translation>No desktop session bus (D-Bus)</translation>
    </message>
    <message>
        <source>请在桌面会话中启动程序，或在X11（Xorg）会话中运行。</source>
        <translation>Start the program in a desktop session, or run it in an X11 (Xorg) session.</translation>
    </message>
    <message>
        <source>桌面没有提供屏幕共享（xdg-desktop-portal）</source>
        <translation>The desktop offers no screen sharing (xdg-desktop-portal)</translation>
    </message>
    <message>
        <source>请安装xdg-desktop-portal和桌面对应的后端，或在X11（Xorg）会话中运行。</source>
        <translation>Install xdg-desktop-portal and the backend for your desktop, or run in an X11 (Xorg) session.</translation>
    </message>
    <message>
        <source>无法打开屏幕共享的视频流</source>
        <translation>Cannot open the screen sharing video stream</translation>
    </message>
    <message>
        <source>没有收到屏幕画面</source>
        <translation>No picture received from the screen</translation>
    </message>
    <message>
        <source>屏幕共享</source>
        <translation>screen sharing</translation>
    </message>
    <message>
        <source>不显示</source>
        <translation>Hidden</translation>
    </message>
    <message>
        <source>显示方式1</source>
        <translation>Mode 1</translation>
    </message>
    <message>
        <source>显示方式2</source>
        <translation>Mode 2</translation>
    </message>
    <message>
        <source>显示方式3</source>
        <translation>Mode 3</translation>
    </message>
    <message>
        <source>RGB录制</source>
        <translation>Record RGB</translation>
    </message>
    <message>
        <source>R录制</source>
        <translation>Record R</translation>
    </message>
    <message>
        <source>G录制</source>
        <translation>Record G</translation>
    </message>
    <message>
        <source>B录制</source>
        <translation>Record B</translation>
    </message>
    <message>
        <source>不备份</source>
        <translation>No backup</translation>
    </message>
    <message>
        <source>30秒</source>
        <translation>30 s</translation>
    </message>
    <message>
        <source>1分钟</source>
        <translation>1 min</translation>
    </message>
    <message>
        <source>2分钟</source>
        <translation>2 min</translation>
    </message>
    <message>
        <source>5分钟</source>
        <translation>5 min</translation>
    </message>
    <message>
        <source>10分钟</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>30分钟</source>
        <translation>30 min</translation>
    </message>
    <message>
        <source>文件不存在！</source>
        <translation>File not found!</translation>
    </message>
    <message>
        <source>文件为空！</source>
        <translation>The file is empty!</translation>
    </message>
    <message>
        <source>-&gt;机器 %1</source>
        <translation>-&gt;Machine %1</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;读取文件</source>
        <translation><byte value="xd" />
-&gt;Reading file</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;文件路径=%1</source>
        <translation><byte value="xd" />
-&gt;File path=%1</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;文件长度=【%1K】</source>
        <translation><byte value="xd" />
-&gt;File length=[%1K]</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;读取文件失败！没有升级<byte value="xd" />
</source>
        <translation><byte value="xd" />
-&gt;Cannot read the file! Not upgraded<byte value="xd" />
</translation>
    </message>
    <message>
        <source>文件非法！</source>
        <translation>Not a valid firmware file!</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;握手 </source>
        <translation><byte value="xd" />
-&gt;Handshake </translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;握手失败 </source>
        <translation><byte value="xd" />
-&gt;Handshake failed </translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;握手成功 </source>
        <translation><byte value="xd" />
-&gt;Handshake OK </translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;发送数据 </source>
        <translation><byte value="xd" />
-&gt;Sending data </translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;校验失败XXX</source>
        <translation><byte value="xd" />
-&gt;Verify failed XXX</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;校验成功！！！</source>
        <translation><byte value="xd" />
-&gt;Verified!!!</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;重启机器！</source>
        <translation><byte value="xd" />
-&gt;Restarting machine!</translation>
    </message>
    <message>
        <source>文件不存在！<byte value="xd" />
</source>
        <translation>: file not found!<byte value="xd" />
</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;文件长度=【%1M】</source>
        <translation><byte value="xd" />
-&gt;File length=[%1M]</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;读取文件失败！没有下载<byte value="xd" />
</source>
        <translation><byte value="xd" />
-&gt;Cannot read the file! Not downloaded<byte value="xd" />
</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;握手失败 <byte value="xd" />
</source>
        <translation><byte value="xd" />
-&gt;Handshake failed <byte value="xd" />
</translation>
    </message>
    <message>
        <source> &lt;无应答&gt; </source>
        <translation> &lt;no acknowledgement&gt; </translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;下载成功！！！</source>
        <translation><byte value="xd" />
-&gt;Download OK!!!</translation>
    </message>
    <message>
        <source><byte value="xd" />
-&gt;下载失败XXX</source>
        <translation><byte value="xd" />
-&gt;Download failed XXX</translation>
    </message>
    <message>
        <source> %1个数据包没有应答</source>
        <translation> %1 packets not acknowledged</translation>
    </message>
    <message>
        <source>第一版软件！</source>
        <translation>First release!</translation>
    </message>
    <message>
        <source>增加DMX512模拟功能</source>
        <translation>Added DMX512 simulation</translation>
    </message>
    <message>
        <source>增加可以使用芯片序列号识别并设置机器</source>
        <translation>Added identifying and setting up machines by chip serial number</translation>
    </message>
    <message>
        <source>增加查看机器版本号</source>
        <translation>Added viewing the machines' versions</translation>
    </message>
    <message>
        <source>增加测试灯带功能</source>
        <translation>Added strip test</translation>
    </message>
    <message>
        <source>增加灯带跑马测试</source>
        <translation>Added strip chase test</translation>
    </message>
    <message>
        <source>下载文件显示进度</source>
        <translation>Download shows its progress</translation>
    </message>
    <message>
        <source>增加自动查找相似帧</source>
        <translation>Added automatic search for similar frames</translation>
    </message>
    <message>
        <source>增加淡入淡出录制</source>
        <translation>Added fade-in/fade-out recording</translation>
    </message>
    <message>
        <source>增加单步录制</source>
        <translation>Added single-step recording</translation>
    </message>
    <message>
        <source>增加参数文件自动备份</source>
        <translation>Added auto backup of the parameter file</translation>
    </message>
    <message>
        <source>增加R、G、B单色录制</source>
        <translation>Added single-colour recording (R, G, B)</translation>
    </message>
    <message>
        <source>增加位置窗口显示方式</source>
        <translation>Added position window display mode</translation>
    </message>
    <message>
        <source>增加素材说明</source>
        <translation>Added show notes</translation>
    </message>
    <message>
        <source>在模型中增加素材由1000个增加至2000个</source>
        <translation>Pixel runs per model raised from 1000 to 2000</translation>
    </message>
    <message>
        <source>增加外挂程序接口</source>
        <translation>Added plug-in program interface</translation>
    </message>
    <message>
        <source>增加升级程序功能</source>
        <translation>Added firmware upgrade</translation>
    </message>
    <message>
        <source>增加颜色顺序选择</source>
        <translation>Added colour order selection</translation>
    </message>
    <message>
        <source>增加素材对应模型</source>
        <translation>Added a model for each show</translation>
    </message>
    <message>
        <source>斜线角度输入更加灵活,横线和竖线禁止使用斜线建立</source>
        <translation>More flexible slant angle input; horizontal and vertical lines can no longer be built as slants</translation>
    </message>
    <message>
        <source>增加建模测试跑点显示方向</source>
        <translation>Added direction display to the modelling test run</translation>
    </message>
    <message>
        <source>增加自增复制自动下移和自动反向</source>
        <translation>Added automatic move-down and reverse to incrementing copy</translation>
    </message>
    <message>
        <source>增加快捷按键备注编号</source>
        <translation>Added shortcut keys for note numbers</translation>
    </message>
    <message>
        <source>&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt; 软件版本更新说明 &lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;</source>
        <translation>&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt;&gt; Software version history &lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;</translation>
    </message>
    <message>
        <source>--------------【KQ-510 %1】-------------</source>
        <translation>--------------[KQ-510 %1]-------------</translation>
    </message>
    <message>
        <source>所有快捷键的使用必须先点击素材列表框</source>
        <translation>Click the pixel run list before using any shortcut</translation>
    </message>
    <message>
        <source>Ctrl+Z 插入一行</source>
        <translation>Ctrl+Z Insert a row</translation>
    </message>
    <message>
        <source>Ctrl+X 剪贴</source>
        <translation>Ctrl+X Cut</translation>
    </message>
    <message>
        <source>Ctrl+C 复制</source>
        <translation>Ctrl+C Copy</translation>
    </message>
    <message>
        <source>Ctrl+V 粘贴</source>
        <translation>Ctrl+V Paste</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Z 撤销</source>
        <translation>Ctrl+Shift+Z Undo</translation>
    </message>
    <message>
        <source>Ctrl+Y 重做</source>
        <translation>Ctrl+Y Redo</translation>
    </message>
    <message>
        <source>W 向上移动</source>
        <translation>W Move up</translation>
    </message>
    <message>
        <source>S 向下移动</source>
        <translation>S Move down</translation>
    </message>
    <message>
        <source>A 向左移动</source>
        <translation>A Move left</translation>
    </message>
    <message>
        <source>D 向右移动</source>
        <translation>D Move right</translation>
    </message>
    <message>
        <source>P 将当前光标向下移动N次（N为 复制数量框中的数值）</source>
        <translation>P Move the cursor down N times (N is the value in the copy count box)</translation>
    </message>
    <message>
        <source>以下0-9 都为数字键</source>
        <translation>0-9 below are the number keys</translation>
    </message>
    <message>
        <source>快捷按键选（机器编号） 0-9 设置机器</source>
        <translation>Shortcut keys (machine number): 0-9 set the machine</translation>
    </message>
    <message>
        <source>快捷按键选（端口编号） 0-9 设置端口</source>
        <translation>Shortcut keys (port number): 0-9 set the port</translation>
    </message>
    <message>
        <source>快捷按键选（类型） 1 横线 2 竖线 3 斜线 4 点</source>
        <translation>Shortcut keys (type): 1 horizontal 2 vertical 3 slant 4 point</translation>
    </message>
    <message>
        <source>快捷按键选（方向） 1 正向 2 反向 3 切换</source>
        <translation>Shortcut keys (direction): 1 forward 2 reverse 3 toggle</translation>
    </message>
    <message>
        <source>快捷按键选（备注） 1 记住备注 2 填入记住的备注</source>
        <translation>Shortcut keys (note): 1 remember the note 2 fill in the remembered note</translation>
    </message>
    <message>
        <source>快捷按键选（位置同步） 1 填入上次移动的坐标并移动一步</source>
        <translation>Shortcut keys (position sync): 1 fill in the last move's coordinates and move one step</translation>
    </message>
    <message>
        <source>快捷按键选（备注编号[x]） 1 从[1]开始编号 2 编号加1</source>
        <translation>Shortcut keys (note number [x]): 1 start numbering at [1] 2 add 1 to the number</translation>
    </message>
    <message>
        <source>点击素材列表框,按住Ctrl键,选中多个素材,可批量删除</source>
        <translation>Click the pixel run list and hold Ctrl to select several pixel runs, then delete them together</translation>
    </message>
    <message>
        <source>1横线</source>
        <translation>1 Row</translation>
    </message>
    <message>
        <source>2竖线</source>
        <translation>2 Column</translation>
    </message>
    <message>
        <source>3斜线</source>
        <translation>3 Diagonal</translation>
    </message>
    <message>
        <source>4点</source>
        <translation>4 Points</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>机器编号</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>端口编号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Shape</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>位置同步</source>
        <translation>Position sync</translation>
    </message>
    <message>
        <source>备注编号[x]</source>
        <translation>Note number [x]</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>左移</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>右移</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>保存完成!!!</source>
        <translation>Saved!</translation>
    </message>
    <message>
        <source>文件保存失败！<byte value="xd" />
%1</source>
        <translation>Could not save the file!<byte value="xd" />
%1</translation>
    </message>
    <message>
        <source>模型%1的长度或宽度超出范围（1到%2），已改正。</source>
        <translation>Length or width of model %1 was out of range (1 to %2) and has been corrected.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>保存完成!!!<byte value="xd" />
模型已保存到：%1</source>
        <translation>Saved!<byte value="xd" />
Model saved to: %1</translation>
    </message>
    <message>
        <source>文件错误！</source>
        <translation>File error!</translation>
    </message>
    <message>
        <source>要复制 %1个素材吗？</source>
        <translation>Copy %1 pixel runs?</translation>
    </message>
    <message>
        <source>要粘贴 %1个素材吗？</source>
        <translation>Paste %1 pixel runs?</translation>
    </message>
    <message>
        <source>复制的素材文件不存在或不完整，没有粘贴！</source>
        <translation>The copied pixel runs are missing or incomplete. Nothing pasted!</translation>
    </message>
    <message>
        <source>[%1] 地址%2-%3超过%4，超出部分不会发送</source>
        <translation>[%1] addresses %2-%3 go past %4; the rest is not sent</translation>
    </message>
    <message>
        <source>[%1] 与 [%2] 地址重叠（机器%3 端口%4）</source>
        <translation>[%1] and [%2] addresses overlap (machine %3, port %4)</translation>
    </message>
    <message>
        <source>kq510：无法使用文件夹 %1</source>
        <translation>kq510: cannot use the folder %1</translation>
    </message>
    <message>
        <source>kq510：--capture 只能是 x11 或 portal，不能是“%1”</source>
        <translation>kq510: --capture takes x11 or portal, not '%1'</translation>
    </message>
    <message>
        <source>kq510：未知选项“%1”</source>
        <translation>kq510: unknown option '%1'</translation>
    </message>
    <message>
        <source>kq510：未知命令“%1”</source>
        <translation>kq510: unknown command '%1'</translation>
    </message>
    <message>
        <source>kq510：这个Wayland会话没有提供X11（XWayland）：位置窗口无法知道自己在哪里，采样的区域可能在别处</source>
        <translation>kq510: this Wayland session offers no X11 (XWayland): the position window cannot tell where it lies, and the area may be sampled elsewhere</translation>
    </message>
    <message>
        <source>%1：--lang 只能是 zh 或 en，不能是“%2”</source>
        <translation>%1: --lang takes zh or en, not '%2'</translation>
    </message>
    <message>
        <source>未知选项“%1”</source>
        <translation>unknown option '%1'</translation>
    </message>
    <message>
        <source>选项“%1”后面缺少值</source>
        <translation>the option '%1' needs a value</translation>
    </message>
    <message>
        <source>选项“%1”不带值</source>
        <translation>the option '%1' takes no value</translation>
    </message>
    <message>
        <source>kq510：无法读取 %1，设置没有保存</source>
        <translation>kq510: cannot read %1; settings are not saved</translation>
    </message>
    <message>
        <source>十六进制数据的位数是奇数（%1）</source>
        <translation>hex data has an odd number of digits (%1)</translation>
    </message>
    <message>
        <source>十六进制数据第%2位的“%1”不是十六进制字节</source>
        <translation>hex data holds "%1" at digit %2, which is not a hex byte</translation>
    </message>
    <message>
        <source>用法：kq510 send --machine N CODE [HEXDATA] [--wait MS] [--home DIR]
  N       机器编号 0..255（0 = 所有机器）
  CODE    四位十六进制数字，例如 8010
  HEXDATA 十六进制的数据字节，每两位之间可以有空格
  MS      收集回复的时间（默认500毫秒）
</source>
        <translation>usage: kq510 send --machine N CODE [HEXDATA] [--wait MS] [--home DIR]
  N       machine number 0..255 (0 = all machines)
  CODE    four hex digits, e.g. 8010
  HEXDATA payload bytes in hex, pairs may be separated by blanks
  MS      how long to collect replies (default 500)
</translation>
    </message>
    <message>
        <source>kq510 send：%1
</source>
        <translation>kq510 send: %1
</translation>
    </message>
    <message>
        <source>--machine 只能是0到255的数字</source>
        <translation>--machine takes a number from 0 to 255</translation>
    </message>
    <message>
        <source>--wait 只能是0到60000毫秒</source>
        <translation>--wait takes milliseconds from 0 to 60000</translation>
    </message>
    <message>
        <source>必须给出 %1</source>
        <translation>%1 is required</translation>
    </message>
    <message>
        <source>CODE 必须是四位十六进制数字</source>
        <translation>CODE must be four hex digits</translation>
    </message>
    <message>
        <source>一帧最多只能装%1个数据字节</source>
        <translation>at most %1 payload bytes fit a frame</translation>
    </message>
    <message>
        <source>回复%1（%2字节）：%3
</source>
        <translation>reply %1 (%2 bytes): %3
</translation>
    </message>
    <message>
        <source>发送%1给机器%2，经由%3:%4（%5字节）：%6
</source>
        <translation>send %1 to machine %2 via %3:%4 (%5 bytes): %6
</translation>
    </message>
    <message>
        <source>kq510 send：命令帧没有发送
</source>
        <translation>kq510 send: the frame was not sent
</translation>
    </message>
    <message>
        <source>%1毫秒内没有回复
</source>
        <translation>no reply within %1 ms
</translation>
    </message>
    <message>
        <source> KQ510_LOOPBACK_ONLY=1 时只能发送到本机回环地址：没有发送到 %1:%2。</source>
        <translation> Only loopback destinations are allowed while KQ510_LOOPBACK_ONLY=1: nothing was sent to %1:%2.</translation>
    </message>
    <message>
        <source>kq510：机器编号%1不是一个字节，没有发送</source>
        <translation>kq510: machine number %1 is not a byte; nothing sent</translation>
    </message>
    <message>
        <source>kq510：%1个数据字节装不进一帧，没有发送</source>
        <translation>kq510: a payload of %1 bytes does not fit a frame; nothing sent</translation>
    </message>
    <message>
        <source>“%1”不是四位的命令码</source>
        <translation>"%1" is not a four-digit command code</translation>
    </message>
    <message>
        <source>kq510：命令%1没有发送：%2</source>
        <translation>kq510: command %1 not sent: %2</translation>
    </message>
    <message>
        <source>kq510：外挂程序的接收缓冲区是%1字节，不是要求的%2字节（请调大 net.core.rmem_max）：程序忙时收到的画面可能被丢弃</source>
        <translation>kq510: the plug-in's receive buffer is %1 bytes, not the %2 asked (raise net.core.rmem_max): pictures that arrive while the program is busy may be dropped</translation>
    </message>
    <message>
        <source>连零标记在数据的最末尾</source>
        <translation>a run marker at the very end</translation>
    </message>
    <message>
        <source>第%2字节处有%1个连零</source>
        <translation>a run of %1 zeros at byte %2</translation>
    </message>
    <message>
        <source>%1个图像字节，超过六个端口的容量</source>
        <translation>%1 image bytes, more than six ports hold</translation>
    </message>
    <message>
        <source>文件头不是模板文件的文件头</source>
        <translation>the header is not that of a template file</translation>
    </message>
    <message>
        <source>文件头不是模型文件的文件头</source>
        <translation>the header is not that of a model file</translation>
    </message>
    <message>
        <source>文件在模型结束之前就结束了</source>
        <translation>the file ends before its models do</translation>
    </message>
    <message>
        <source>文件比它1,024字节的文件头还短</source>
        <translation>the file is shorter than its 1,024-byte header</translation>
    </message>
    <message>
        <source>缺少第%1帧（共%2帧）：文件在%3字节处结束</source>
        <translation>frame %1 of %2 is missing: the file ends at %3 bytes</translation>
    </message>
    <message>
        <source>第%1帧不是以帧头开始</source>
        <translation>frame %1 does not start with a frame header</translation>
    </message>
    <message>
        <source>第%1帧有%2个压缩字节，超过它的位置</source>
        <translation>frame %1 holds %2 packed bytes, more than its slot</translation>
    </message>
    <message>
        <source>第%1帧不完整</source>
        <translation>frame %1 is cut short</translation>
    </message>
    <message>
        <source>第%1帧：%2</source>
        <translation>frame %1: %2</translation>
    </message>
    <message>
        <source>文件比它的目录还短</source>
        <translation>the file is shorter than its directory</translation>
    </message>
    <message>
        <source>缺少目录的结束标记</source>
        <translation>the directory's closing mark is missing</translation>
    </message>
    <message>
        <source>素材%1的数据块不在上一块结束的位置</source>
        <translation>material %1's block is not where the one before it ends</translation>
    </message>
    <message>
        <source>素材%1的数据块超出了文件末尾</source>
        <translation>material %1's block lies past the end of the file</translation>
    </message>
    <message>
        <source>素材%1的数据块不是以它帧文件的文件头开始</source>
        <translation>material %1's block does not start with its frame file's header</translation>
    </message>
    <message>
        <source>素材%1第%2帧：帧表指向别处</source>
        <translation>material %1, frame %2: the frame table points elsewhere</translation>
    </message>
    <message>
        <source>素材%1第%2帧：不是帧记录</source>
        <translation>material %1, frame %2: not a frame record</translation>
    </message>
    <message>
        <source>素材%1第%2帧：%3</source>
        <translation>material %1, frame %2: %3</translation>
    </message>
    <message>
        <source>信息块不在最后一个素材之后</source>
        <translation>the information block is not after the last material</translation>
    </message>
    <message>
        <source>缺少信息块</source>
        <translation>the information block is missing</translation>
    </message>
    <message>
        <source>信息块长%1字节，它的头部写的是%2</source>
        <translation>the information block is %1 bytes long, its header says %2</translation>
    </message>
    <message>
        <source>信息块的文字不是它字节的十六进制</source>
        <translation>the information block's text is not its bytes in hex</translation>
    </message>
    <message>
        <source>不是模型文件、模板文件、帧文件或播放文件</source>
        <translation>not a model, template, frame or playback file</translation>
    </message>
    <message>
        <source>%1：文件无法读取</source>
        <translation>%1: the file cannot be read</translation>
    </message>
    <message>
        <source>%1：帧文件已损坏：%2</source>
        <translation>%1: damaged frame file: %2</translation>
    </message>
    <message>
        <source>%1：无法读取</source>
        <translation>%1: cannot be read</translation>
    </message>
    <message>
        <source>素材%1没有录制的帧</source>
        <translation>show material %1 has no recorded frames</translation>
    </message>
    <message>
        <source>素材%1在 %2 中没有帧文件</source>
        <translation>show material %1 has no frame files in %2</translation>
    </message>
    <message>
        <source>%1：输出必须以 .gif 或 .webp 结尾，或者是一个文件夹</source>
        <translation>%1: the output must end in .gif or .webp, or be a folder</translation>
    </message>
    <message>
        <source>第%1-%2帧不在素材的第1-%3帧之内</source>
        <translation>frames %1-%2 are not in the show's 1-%3</translation>
    </message>
    <message>
        <source>%1：无法写入</source>
        <translation>%1: cannot be written</translation>
    </message>
    <message>
        <source>%1：无法建立文件夹</source>
        <translation>%1: cannot make the folder</translation>
    </message>
    <message>
        <source>WebP编码器拒绝了一帧</source>
        <translation>the WebP encoder refused a frame</translation>
    </message>
    <message>
        <source>WebP编码器出错</source>
        <translation>the WebP encoder failed</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>用法：kq510 build [--material N] [--home DIR]
  根据每台机器录制的帧文件生成它的 Q_glow/KQ-510/ID-nn.KQ4
  （用 --material 时只用素材N）；损坏的帧文件会列出，并且不加入
</source>
        <translation>usage: kq510 build [--material N] [--home DIR]
  builds Q_glow/KQ-510/ID-nn.KQ4 for every machine from its recorded frame files
  (only show material N with --material); damaged frame files are named and left out
</translation>
    </message>
    <message>
        <source>用法：kq510 inspect FILE
  概述模型文件（.mx20）、模板文件（.mb10）、帧文件（.KQ3）或播放文件（.KQ4）；
  退出码1时指出第一处损坏，文件无法读取时退出码为2；概述供脚本读取，
  在两种语言中都一样
</source>
        <translation>usage: kq510 inspect FILE
  summarises a model (.mx20), template (.mb10), frame (.KQ3) or playback (.KQ4) file;
  exit status 1 names the first damage, 2 when the file cannot be read; the summary is
  for scripts too and reads the same in both languages
</translation>
    </message>
    <message>
        <source>用法：kq510 preview --material N --out FILE [--model M] [--models FILE.mx20] [--scale S]
                    [--frames A-B] [--home DIR]
  根据录制的帧文件，把素材N（1到50）逐帧画在它的模型布局上，写成GIF动画（FILE.gif）、
  无损WebP动画（FILE.webp）或编号的PNG文件（FILE以 / 结尾）。模型是素材录制时对应的模型，
  除非 --model 指定另一个（1到20）；模型取自应用文件夹的模型文件，除非 --models 指定另一个；
  S是每个模型像素对应的输出像素数（默认1）。每帧持续一个帧时间（设置 %1）。素材没有帧文件
  或者有损坏的帧文件时退出码为1，参数错误时为2。
</source>
        <translation>usage: kq510 preview --material N --out FILE [--model M] [--models FILE.mx20] [--scale S]
                     [--frames A-B] [--home DIR]
  draws show material N (1 to 50) on its model's layout, frame by frame, from the recorded
  frame files, and writes an animated GIF (FILE.gif), an animated lossless WebP (FILE.webp)
  or numbered PNG files (FILE ending in /). The model is the one the material is recorded
  against unless --model names another (1 to 20), from the application folder's model file
  unless --models names another; S is output pixels per model pixel (default 1). Each frame
  lasts the frame period (setting %1). Exit status 1 when the material has no frame files
  or a damaged one, 2 for wrong arguments.
</translation>
    </message>
    <message>
        <source>用法：kq510 download (--machine N | --all) [--home DIR]   （N为1到10）
  把播放文件下载到机器；只有每台机器都应答了全部数据，退出码才为0
</source>
        <translation>usage: kq510 download (--machine N | --all) [--home DIR]   (N from 1 to 10)
  downloads the playback files to the machines; exit status 0 only when every
  machine acknowledged everything
</translation>
    </message>
    <message>
        <source>用法：kq510 upgrade --machine N FILE.bin [--home DIR]   （N为1到10）
  升级机器的固件；只有校验成功，退出码才为0
</source>
        <translation>usage: kq510 upgrade --machine N FILE.bin [--home DIR]   (N from 1 to 10)
  upgrades the machine's firmware; exit status 0 only when it verified
</translation>
    </message>
    <message>
        <source>kq510 build：--material 只能是1到%1的数字
</source>
        <translation>kq510 build: --material takes a number from 1 to %1
</translation>
    </message>
    <message>
        <source>机器%1：已损坏，没有加入：%2
</source>
        <translation>machine %1: damaged, left out: %2
</translation>
    </message>
    <message>
        <source>机器%1：无法写入 %2
</source>
        <translation>machine %1: cannot write %2
</translation>
    </message>
    <message>
        <source>机器%1：没有录制的帧
</source>
        <translation>machine %1: no recorded frames
</translation>
    </message>
    <message>
        <source>机器%1：%2，%3字节，%4个素材
</source>
        <translation>machine %1: %2, %3 bytes, %4 materials
</translation>
    </message>
    <message>
        <source>已经生成文件 !</source>
        <translation>Playback files built!</translation>
    </message>
    <message>
        <source>%1个损坏的帧文件没有加入
</source>
        <translation>%1 damaged frame files were left out
</translation>
    </message>
    <message>
        <source>kq510 inspect：无法读取 %1
</source>
        <translation>kq510 inspect: cannot read %1
</translation>
    </message>
    <message>
        <source>kq510 inspect：模型文件已损坏：%1
</source>
        <translation>kq510 inspect: damaged model file: %1
</translation>
    </message>
    <message>
        <source>kq510 inspect：模板文件已损坏：%1
</source>
        <translation>kq510 inspect: damaged template file: %1
</translation>
    </message>
    <message>
        <source>kq510 inspect：帧文件已损坏：%1
</source>
        <translation>kq510 inspect: damaged frame file: %1
</translation>
    </message>
    <message>
        <source>kq510 inspect：播放文件已损坏：%1
</source>
        <translation>kq510 inspect: damaged playback file: %1
</translation>
    </message>
    <message>
        <source>kq510 inspect：%1：%2
</source>
        <translation>kq510 inspect: %1: %2
</translation>
    </message>
    <message>
        <source>kq510 preview：%1
</source>
        <translation>kq510 preview: %1
</translation>
    </message>
    <message>
        <source>%1 只能是%2的数字</source>
        <translation>%1 takes a number from %2</translation>
    </message>
    <message>
        <source>%1到%2</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>--frames 只能是 A-B，帧号从1开始</source>
        <translation>--frames takes A-B, frame numbers from 1</translation>
    </message>
    <message>
        <source>未知参数“%1”</source>
        <translation>unknown argument '%1'</translation>
    </message>
    <message>
        <source>--out 必须以 .gif 或 .webp 结尾，或者是一个文件夹（以 / 结尾）</source>
        <translation>--out must end in .gif or .webp, or name a folder (ending in /)</translation>
    </message>
    <message>
        <source>kq510 preview：无法读取模型文件 %1
</source>
        <translation>kq510 preview: cannot read the model file %1
</translation>
    </message>
    <message>
        <source>kq510 preview：%1 不是模型文件
</source>
        <translation>kq510 preview: %1 is not a model file
</translation>
    </message>
    <message>
        <source>素材%1，模型%2（%3 x %4，%5个像素），第%6-%7帧（共%8帧），每帧%9毫秒 -&gt; %10
</source>
        <translation>show material %1 on model %2 (%3 x %4, %5 pixels), frames %6-%7 of %8, %9 ms each -&gt; %10
</translation>
    </message>
    <message>
        <source>第%1帧/共%2帧</source>
        <translation>frame %1 of %2</translation>
    </message>
    <message>
        <source>已写入：%1
</source>
        <translation>written: %1
</translation>
    </message>
    <message>
        <source>kq510 图案</source>
        <translation>kq510 pattern</translation>
    </message>
    <message>
        <source>用法：kq510-pattern [选项]
一个移动彩条的窗口，用来放在位置窗口下面演示。
  --static         固定的图案，而不是移动的彩条：像素(x, y)是
                   红 x % 256，绿 y % 256，蓝 200
  --area x,y,w,h   窗口的位置：x,y,宽,高（默认 0,0,640,480）
  --lang zh|en     输出的语言（否则按区域设置）
  -h, --help       本说明
</source>
        <translation>usage: kq510-pattern [options]
A window of moving colour bars to lay the position window over, for demonstrations.
  --static         a fixed pattern instead of moving bars: pixel (x, y) is
                   red x % 256, green y % 256, blue 200
  --area x,y,w,h   where the window goes: x,y,width,height (default 0,0,640,480)
  --lang zh|en     the language of what it prints (else the locale's)
  -h, --help       this text
</translation>
    </message>
    <message>
        <source>kq510-pattern：%1</source>
        <translation>kq510-pattern: %1</translation>
    </message>
    <message>
        <source>--area 只能是 x,y,w,h</source>
        <translation>--area takes x,y,w,h</translation>
    </message>
    <message>
        <source>用法：kq510-feeder [选项] SOURCE...
作为KQ-510工具的外挂程序，把图片放进它的录制：来源的每一帧都缩放到位置窗口的区域，
作为“0151”数据块和一条“0152”消息发送。只要图片不断到来，工具就用它们代替屏幕
（在它的 system.ini 中设置 %1=1）。
SOURCE：一个GIF动画（每一帧）、一个图片文件夹（按文件名）或图片文件。
  --fps N          每秒的图片数（默认 27.8，每36毫秒一张）
  --loop           最后一张之后重新开始
  --size WxH       位置窗口的区域，即模型的画布（默认 100x100）；录制接受
                   宽 x 高 x 4 &lt;= 10000001 字节
  --to ADDR:PORT   工具收听的地址：%2:%3（默认 127.0.0.1:4799）
  --lang zh|en     输出的语言（否则按区域设置）
  -h, --help       本说明
</source>
        <translation>usage: kq510-feeder [options] SOURCE...
Plays pictures into the KQ-510 tool's recorder as its plug-in program: every frame of the sources is
scaled to the position window's area and sent as "0151" chunks and a "0152" message. The tool uses
them instead of the screen while they keep coming (set %1=1 in its system.ini).
SOURCE: an animated GIF (every frame), a folder of images (by name), or image files.
  --fps N          pictures per second (default 27.8, one per 36 ms)
  --loop           start again after the last picture
  --size WxH       the position window's area, the model's canvas (default 100x100); the recorder
                   takes width x height x 4 &lt;= 10000001 bytes
  --to ADDR:PORT   where the tool listens: %2:%3 (default 127.0.0.1:4799)
  --lang zh|en     the language of what it prints (else the locale's)
  -h, --help       this text
</translation>
    </message>
    <message>
        <source>kq510-feeder：%1</source>
        <translation>kq510-feeder: %1</translation>
    </message>
    <message>
        <source>请检查 --size、--to 和 --fps，并至少给出一个 SOURCE（见 --help）</source>
        <translation>check --size, --to and --fps and give at least one SOURCE (see --help)</translation>
    </message>
    <message>
        <source>宽度为%1时最大是 %1x%2</source>
        <translation>at width %1 the largest is %1x%2</translation>
    </message>
    <message>
        <source>宽度为%1时没有合适的高度</source>
        <translation>no height fits width %1</translation>
    </message>
    <message>
        <source>--size %1x%2 被拒绝：它有%3字节的像素，而录制接受宽 x 高 x 4 &lt;= %4；%5</source>
        <translation>--size %1x%2 refused: it has %3 bytes of pixels, and the recorder takes width x height x 4 &lt;= %4; %5</translation>
    </message>
    <message>
        <source>KQ510_LOOPBACK_ONLY=1：没有发送任何东西到 %1</source>
        <translation>KQ510_LOOPBACK_ONLY=1: nothing is sent to %1</translation>
    </message>
    <message>
        <source>kq510-feeder：无法读取 %1</source>
        <translation>kq510-feeder: cannot read %1</translation>
    </message>
    <message>
        <source>%1张图片，%2x%3，每秒%4张，发送到 %5:%6，循环播放</source>
        <translation>%1 pictures, %2x%3, %4 per second to %5:%6, looping</translation>
    </message>
    <message>
        <source>%1张图片，%2x%3，每秒%4张，发送到 %5:%6</source>
        <translation>%1 pictures, %2x%3, %4 per second to %5:%6</translation>
    </message>
    <message>
        <source>kq510-feeder：有一条消息没有发送：%1</source>
        <translation>kq510-feeder: a message was not sent: %1</translation>
    </message>
    <message>
        <source>已发送%1张图片，%2张没有完整发送</source>
        <translation>%1 pictures sent, %2 not sent whole</translation>
    </message>
    <message>
        <source>已发送%1张图片</source>
        <translation>%1 pictures sent</translation>
    </message>
    <message>
        <source>kq510-machines：%1</source>
        <translation>kq510-machines: %1</translation>
    </message>
    <message>
        <source>--machines 只能是1到10的机器编号，例如 1-10 或 1,3,5</source>
        <translation>--machines takes machine numbers from 1 to 10, e.g. 1-10 or 1,3,5</translation>
    </message>
    <message>
        <source>--port 只能是1到65535的端口号</source>
        <translation>--port takes a port number from 1 to 65535</translation>
    </message>
    <message>
        <source>--latency 只能是0或更多的毫秒数</source>
        <translation>--latency takes milliseconds, 0 or more</translation>
    </message>
    <message>
        <source>--loss 只能是0到1的概率</source>
        <translation>--loss takes a chance from 0 to 1</translation>
    </message>
    <message>
        <source>--drop 只能是 CODE:N，例如 80B1:3</source>
        <translation>--drop takes CODE:N, e.g. 80B1:3</translation>
    </message>
    <message>
        <source>模拟机器只在本机回环地址上收听</source>
        <translation>the stand-in machines listen on loopback addresses only</translation>
    </message>
    <message>
        <source>无法在 %1:%2 收听：%3</source>
        <translation>cannot listen at %1:%2: %3</translation>
    </message>
    <message>
        <source>演示%1-%2</source>
        <translation>Demo %1-%2</translation>
    </message>
    <message>
        <source>kq510-demo-model：未知选项“%1”
</source>
        <translation>kq510-demo-model: unknown option '%1'
</translation>
    </message>
    <message>
        <source>演示</source>
        <translation>Demo</translation>
    </message>
    <message>
        <source>kq510-demo-model：无法写入 %1
</source>
        <translation>kq510-demo-model: cannot write %1
</translation>
    </message>
    <message>
        <source>满载2000</source>
        <translation>Full 2000</translation>
    </message>
    <message>
        <source>模型没有保存。</source>
        <translation>The models were not saved.</translation>
    </message>
    <message>
        <source>%1：是文件，不是文件夹</source>
        <translation>%1: is a file, not a folder</translation>
    </message>
    <message>
        <source>%1：文件夹里有导出帧以外的文件（%2），请选择空文件夹或新文件夹</source>
        <translation>%1: the folder holds other files than an export's frames (%2); choose an empty or a new folder</translation>
    </message>
    <message>
        <source>%1：无法替换</source>
        <translation>%1: cannot be replaced</translation>
    </message>
    <message>
        <source>每边超过%1像素</source>
        <translation>more than %1 pixels a side</translation>
    </message>
    <message>
        <source>%1百万像素，超过一张图片最多的%2百万像素</source>
        <translation>%1 million pixels, more than the %2 million a picture may have</translation>
    </message>
    <message>
        <source>%1 x %2 的模型按比例%3画出的图片太大：%4 x %5像素，%6；按比例%7可以导出</source>
        <translation>a %1 x %2 model at scale %3 is too large a picture: %4 x %5 pixels, %6; scale %7 fits</translation>
    </message>
    <message>
        <source>帧间隔%1毫秒不在1到255毫秒之间</source>
        <translation>the step time of %1 ms is not between 1 and 255 ms</translation>
    </message>
    <message>
        <source>稀疏范围多于255个（%1个）</source>
        <translation>more than 255 sparse ranges (%1)</translation>
    </message>
    <message>
        <source>稀疏范围%1没有通道</source>
        <translation>sparse range %1 has no channels</translation>
    </message>
    <message>
        <source>稀疏范围%1（从通道%2起%3个通道）超出了通道16,777,215</source>
        <translation>sparse range %1 (%3 channels from channel %2) reaches past channel 16,777,215</translation>
    </message>
    <message>
        <source>帧没有通道</source>
        <translation>the frames have no channels</translation>
    </message>
    <message>
        <source>文件头要%1字节，超过了65,535字节</source>
        <translation>the header would take %1 bytes, more than 65,535</translation>
    </message>
    <message>
        <source>压缩的文件要写到能回到它块索引的地方</source>
        <translation>a compressed file needs an output that can seek back to its block index</translation>
    </message>
    <message>
        <source>写入失败：%1</source>
        <translation>writing failed: %1</translation>
    </message>
    <message>
        <source>压缩失败：%1</source>
        <translation>compressing failed: %1</translation>
    </message>
    <message>
        <source>帧多于宣布的%1帧</source>
        <translation>more frames than the %1 announced</translation>
    </message>
    <message>
        <source>第%1帧有%2字节，应为%3字节</source>
        <translation>frame %1 has %2 bytes, not %3</translation>
    </message>
    <message>
        <source>块%1压缩后超过了4 GiB</source>
        <translation>block %1 takes more than 4 GiB compressed</translation>
    </message>
    <message>
        <source>写了%1帧，而不是宣布的%2帧</source>
        <translation>%1 frames were written, not the %2 announced</translation>
    </message>
    <message>
        <source>在第%1字节处读取失败</source>
        <translation>reading at byte %1 failed</translation>
    </message>
    <message>
        <source>不是FSEQ文件：不以PSEQ开始</source>
        <translation>not an FSEQ file: it does not begin with PSEQ</translation>
    </message>
    <message>
        <source>无法读取FSEQ版本%1.%2</source>
        <translation>FSEQ version %1.%2 cannot be read</translation>
    </message>
    <message>
        <source>文件只有%1字节，比它%2字节的文件头还短</source>
        <translation>the file has only %1 bytes, fewer than its %2-byte header</translation>
    </message>
    <message>
        <source>通道数据的偏移%1落在%2字节的文件头里</source>
        <translation>the channel data offset %1 lies inside the %2-byte header</translation>
    </message>
    <message>
        <source>通道数据的偏移%1超出了文件末尾（文件%2字节）</source>
        <translation>the channel data offset %1 lies past the end of the file (%2 bytes)</translation>
    </message>
    <message>
        <source>未知的压缩方式%1</source>
        <translation>unknown compression type %1</translation>
    </message>
    <message>
        <source>块索引和稀疏范围到第%1字节，超过了通道数据的偏移%2</source>
        <translation>the block index and sparse ranges end at byte %1, past the channel data offset %2</translation>
    </message>
    <message>
        <source>文件头长度%1不在块索引和稀疏范围的末尾%2与通道数据的偏移%3之间</source>
        <translation>the header length %1 is not between the end of the block index and sparse ranges (%2) and the channel data offset (%3)</translation>
    </message>
    <message>
        <source>稀疏范围共%1个通道，文件头写的是每帧%2个通道</source>
        <translation>the sparse ranges hold %1 channels, the header says %2 a frame</translation>
    </message>
    <message>
        <source>变量头%1超出了通道数据的偏移</source>
        <translation>variable header %1 runs past the channel data offset</translation>
    </message>
    <message>
        <source>%1帧每帧%2个通道要%3字节，通道数据只有%4字节</source>
        <translation>%1 frames of %2 channels need %3 bytes; the channel data hold only %4</translation>
    </message>
    <message>
        <source>第一个有数据的块从第%1帧开始，不是第0帧</source>
        <translation>the first block with data starts at frame %1, not at frame 0</translation>
    </message>
    <message>
        <source>块%1从第%2帧开始，不在前一块之后、共%3帧之内</source>
        <translation>block %1 starts at frame %2, not after the block before it and within the %3 frames</translation>
    </message>
    <message>
        <source>块%1超出了文件末尾</source>
        <translation>block %1 runs past the end of the file</translation>
    </message>
    <message>
        <source>压缩的文件没有块索引</source>
        <translation>a compressed file without a block index</translation>
    </message>
    <message>
        <source>块%1解压后有%2字节，超过了一次能读的512 MiB</source>
        <translation>block %1 would unpack to %2 bytes, more than the 512 MiB read at once</translation>
    </message>
    <message>
        <source>块%1只有%2字节，装不下它%3帧的%4字节</source>
        <translation>block %1 has only %2 bytes, too few to hold the %4 bytes of its %3 frames</translation>
    </message>
    <message>
        <source>块%1解压后多于它%2帧的%3字节</source>
        <translation>block %1 unpacks to more than the %3 bytes of its %2 frames</translation>
    </message>
    <message>
        <source>块%1不是完好的%2数据：%3</source>
        <translation>block %1 is not sound %2 data: %3</translation>
    </message>
    <message>
        <source>块%1的压缩数据不完整</source>
        <translation>block %1's compressed data are cut short</translation>
    </message>
    <message>
        <source>块%1解压后只有%2字节，少于它%3帧的%4字节</source>
        <translation>block %1 unpacks to only %2 bytes, fewer than the %4 bytes of its %3 frames</translation>
    </message>
    <message>
        <source>没有第%1帧（共%2帧）</source>
        <translation>there is no frame %1 (the file has %2 frames)</translation>
    </message>
    <message>
        <source>%1帧每帧%2个通道放不进255个不超过512 MiB的块</source>
        <translation>%1 frames of %2 channels do not fit into 255 blocks of at most 512 MiB</translation>
    </message>
    <message>
        <source>第%1行的值超出范围：%2</source>
        <translation>line %1 holds a value out of range: %2</translation>
    </message>
    <message>
        <source>第%1行不是控制器表的设置：%2</source>
        <translation>line %1 is not a setting of the controllers table: %2</translation>
    </message>
    <message>
        <source>机器%1（%2）</source>
        <translation>machine %1 (%2)</translation>
    </message>
    <message>
        <source>组播</source>
        <translation>Multicast</translation>
    </message>
    <message>
        <source>没有发送到这些控制器：%1。KQ510_LOOPBACK_ONLY=1 时只能发送到本机回环地址，不能发送组播或广播。</source>
        <translation>Nothing is sent to these controllers: %1. With KQ510_LOOPBACK_ONLY=1 only loopback addresses are reached, never multicast or broadcast.</translation>
    </message>
    <message>
        <source>控制器的端口数只能是1到6，不是%1</source>
        <translation>a controller has 1 to 6 ports, not %1</translation>
    </message>
    <message>
        <source>每端口像素只能是1到750，不是%1</source>
        <translation>pixels per port must be 1 to 750, not %1</translation>
    </message>
    <message>
        <source>颜色顺序只能是1到6，不是%1</source>
        <translation>the colour order must be 1 to 6, not %1</translation>
    </message>
    <message>
        <source>每域通道只能是510或512，不是%1</source>
        <translation>channels per universe must be 510 or 512, not %1</translation>
    </message>
    <message>
        <source>域%1到%2超出E1.31的1到63999</source>
        <translation>universes %1 to %2 pass E1.31's 1 to 63,999</translation>
    </message>
    <message>
        <source>端口地址%1到%2超出Art-Net的0到32767</source>
        <translation>port-addresses %1 to %2 pass Art-Net's 0 to 32,767</translation>
    </message>
    <message>
        <source>DDP偏移%1是负数</source>
        <translation>the DDP offset %1 is negative</translation>
    </message>
    <message>
        <source>DDP字节%1到%2超出最后的偏移4294967295</source>
        <translation>DDP bytes %1 to %2 pass the last offset, 4,294,967,295</translation>
    </message>
    <message>
        <source>机器%1：%2</source>
        <translation>machine %1: %2</translation>
    </message>
    <message>
        <source>E1.31域%1</source>
        <translation>E1.31 universe %1</translation>
    </message>
    <message>
        <source>Art-Net端口地址%1</source>
        <translation>Art-Net port-address %1</translation>
    </message>
    <message>
        <source>%2的DDP字节%1</source>
        <translation>DDP byte %1 at %2</translation>
    </message>
    <message>
        <source>机器%1和机器%2都用%3</source>
        <translation>machines %1 and %2 both use %3</translation>
    </message>
    <message>
        <source>控制器设置有误，开放协议控制器不输出：%1</source>
        <translation>The controllers are set up wrongly, so no open-protocol controller is driven: %1</translation>
    </message>
    <message>
        <source>本机型</source>
        <translation>KQ-510</translation>
    </message>
    <message>
        <source>机器%1 端口%2：%3个像素刷新一次要%4毫秒，超过帧时间%5毫秒，不能每帧刷新</source>
        <translation>machine %1 port %2: %3 pixels take %4 ms to refresh, more than the %5 ms frame period: they cannot refresh every frame</translation>
    </message>
    <message>
        <source>网络：%1 每秒%2个包，%3 Mbit/s</source>
        <translation>network: %1 %2 datagrams a second, %3 Mbit/s</translation>
    </message>
    <message>
        <source>网络：合计%1 Mbit/s，超过100 Mbit/s网络的八成</source>
        <translation>network: %1 Mbit/s in all, more than 80% of a 100 Mbit/s link</translation>
    </message>
    <message>
        <source>用法：kq510-demo-model DIR
把示例安装写成 DIR/%1：模型1（400 x 300，机器1到5）和模型2（机器1到10上2000个素材的满载安装）。
  --lang zh|en  备注和输出的语言；否则用 DIR/system.ini 中的设置 %2，
                否则按区域设置（zh_* 为中文，其他为英文）
  --help        本说明
</source>
        <translation>usage: kq510-demo-model DIR
Writes DIR/%1 with a sample installation: model 1 (400 x 300, machines 1 to 5)
and model 2 (a full installation of 2000 materials on machines 1 to 10).
  --lang zh|en  the language of the notes and of what it prints; else the setting %2 in
                DIR/system.ini, else the locale (Chinese for zh_*, English for any other)
  --help        this text
</translation>
    </message>
    <message>
        <source>%1：模型1，机器1到5上%2个素材；模型2，机器1到10上2000个素材
</source>
        <translation>%1: model 1, %2 materials on machines 1 to 5; model 2, 2000 materials on machines 1 to 10
</translation>
    </message>
    <message>
        <source>用法：kq510-machines [选项]
在本机回环地址上模拟KQ-510机器：机器k在 BASE + k 收听，命令帧发到广播地址，回复发回发送方。
  --machines LIST      回应的机器，例如 1-10 或 1,3,5（默认 1-10）
  --base ADDRESS       机器k在这个地址 + k 收听（默认 127.0.1.200）
  --broadcast ADDRESS  程序发送命令帧的地址（默认 127.0.1.255）
  --port PORT          命令端口（默认 4800）
  --latency MS         每个回复之前等待的毫秒数（默认 0）
  --loss RATE          机器忽略一帧的概率，0到1（默认 0）
  --drop CODE:N        每台机器忽略命令CODE的第N帧，例如 80B1:3（可以重复）
  --state DIR          机器的SD卡、固件和实时画面的文件夹（默认 kq510-machines-state）
  --controller K=PROTOCOL[:START[:CHANNELS[:PIXELS[:ORDER]]]]
                       把机器编号K模拟成开放协议控制器（e131、artnet 或 ddp），在 BASE + k
                       的协议端口收听：START 是端口1的域、端口地址或DDP偏移，CHANNELS 是每域
                       通道（510或512），PIXELS 是每端口像素，ORDER 是颜色顺序1到6（可以重复）
  --lang zh|en         说明和错误的语言（否则按区域设置）；日志总是同样的文字
  -h, --help           本说明
</source>
        <translation>usage: kq510-machines [options]
Stand-in KQ-510 machines on loopback: machine k listens at BASE + k, command frames arrive at the
broadcast address; replies go back to the sender.
  --machines LIST      machines that answer, e.g. 1-10 or 1,3,5 (default 1-10)
  --base ADDRESS       machine k listens at this address + k (default 127.0.1.200)
  --broadcast ADDRESS  address the program sends command frames to (default 127.0.1.255)
  --port PORT          command port (default 4800)
  --latency MS         milliseconds before each reply (default 0)
  --loss RATE          chance (0..1) that a machine ignores a frame (default 0)
  --drop CODE:N        ignore the Nth frame of CODE on each machine, e.g. 80B1:3 (repeatable)
  --state DIR          folder for the machines' SD cards, firmware and live pictures
                       (default kq510-machines-state)
  --controller K=PROTOCOL[:START[:CHANNELS[:PIXELS[:ORDER]]]]
                       play machine number K as an open-protocol controller (e131, artnet or
                       ddp), listening at BASE + k on the protocol's port: START is port 1's
                       universe, port-address or DDP offset, CHANNELS the channels per universe
                       (510 or 512), PIXELS the pixels per port, ORDER the colour order 1 to 6
                       (repeatable)
  --lang zh|en         the language of this help and of the errors (else the locale's); the log
                       reads the same in every language
  -h, --help           this text
</translation>
    </message>
    <message>
        <source>--controller 只能是 K=PROTOCOL[:START[:CHANNELS[:PIXELS[:ORDER]]]]，例如 3=e131:61 或 5=ddp:0</source>
        <translation>--controller takes K=PROTOCOL[:START[:CHANNELS[:PIXELS[:ORDER]]]], e.g. 3=e131:61 or 5=ddp:0</translation>
    </message>
    <message>
        <source>%1第%2帧/共%3帧%4</source>
        <translation>%1frame %2 of %3%4</translation>
    </message>
    <message>
        <source>无法读取模型文件 %1</source>
        <translation>cannot read the model file %1</translation>
    </message>
    <message>
        <source>用法：kq510 fseq --material N --out FILE.fseq [--compression zstd|zlib|none]
                 [--per-controller DIR] [--home DIR]
  把素材N（1到50）录制的帧文件写成开放播放器的序列文件（FSEQ 2.0）：只有模型使用的端口的通道，
  通道按控制器设置排列；每帧一个帧时间。默认用zstd压缩；--per-controller 另外给每台有帧的
  机器写一个只有它自己通道的未压缩文件 DIR/IDnn.fseq。素材没有帧文件、帧文件损坏或控制器的
  通道重叠时退出码为1，参数错误时为2；输出文件要么完整，要么没有。
</source>
        <translation>usage: kq510 fseq --material N --out FILE.fseq [--compression zstd|zlib|none]
                 [--per-controller DIR] [--home DIR]
  Writes show N's (1 to 50) recorded frame files as a sequence file of the open players (FSEQ 2.0):
  only the channels of the ports its model uses, laid out as the controllers window sets them; each
  frame lasts one frame period. zstd by default; --per-controller also writes an uncompressed file
  DIR/IDnn.fseq for every machine with frames, holding its own channels only. Exit status 1 when the
  show has no frame files, a damaged one, or controllers whose channels overlap, 2 for wrong
  arguments; the output appears whole or not at all.
</translation>
    </message>
    <message>
        <source>用法：kq510 from-fseq --in FILE.fseq --material N [--period MS] [--force] [--home DIR]
  把开放播放器的序列文件（FSEQ 1 或 2，未压缩、zstd、zlib）读成素材N（1到50）的帧文件，
  和录制写的一样，之后可以照常生成播放文件并下载。通道按控制器设置对应到机器和端口；
  不属于任何机器的通道会数出来并说明。步长不在30到200毫秒时，用 --period 按最近的帧重新
  取样；素材已有录制的帧文件时需要 --force。文件损坏时说明原因并且什么都不写，退出码为1。
</source>
        <translation>usage: kq510 from-fseq --in FILE.fseq --material N [--period MS] [--force] [--home DIR]
  Reads a sequence file of the open players (FSEQ 1 or 2; uncompressed, zstd, zlib) into show N's (1 to
  50) frame files, as recording writes them, so that the playback build and the download take them
  as usual. Channels go to machines and ports as the controllers window sets them; channels of no
  machine are counted and said. A step time outside 30 to 200 ms is resampled with --period (the
  nearest frame in time); a show with recorded frame files is replaced only with --force. A damaged
  file is named with its damage and nothing is written (exit status 1).
</translation>
    </message>
    <message>
        <source>kq510 fseq：%1
</source>
        <translation>kq510 fseq: %1
</translation>
    </message>
    <message>
        <source>--compression 只能是 zstd、zlib 或 none</source>
        <translation>--compression takes zstd, zlib or none</translation>
    </message>
    <message>
        <source>kq510 from-fseq：%1
</source>
        <translation>kq510 from-fseq: %1
</translation>
    </message>
    <message>
        <source>素材%1：%2帧，帧时间%3毫秒，机器%4
</source>
        <translation>show %1: %2 frames, frame period %3 ms, machines %4
</translation>
    </message>
    <message>
        <source>已按帧时间%1毫秒重新取样（文件的步长是另一个）
</source>
        <translation>resampled to a frame period of %1 ms (the file has another step time)
</translation>
    </message>
    <message>
        <source>有%1个通道不属于任何机器，没有导入
</source>
        <translation>%1 channels belong to no machine and were not imported
</translation>
    </message>
    <message>
        <source>注意：设置 %1 是%2毫秒，这个素材按%3毫秒播放才对
</source>
        <translation>note: the setting %1 is %2 ms; this show plays right at %3 ms
</translation>
    </message>
    <message>
        <source>机器%1的端口%2超出序列文件的%3个通道</source>
        <translation>machine %1's port %2 lies past a sequence file's %3 channels</translation>
    </message>
    <message>
        <source>机器%1和机器%2的通道重叠：%3到%4与%5到%6</source>
        <translation>machines %1 and %2 share channels: %3 to %4 and %5 to %6</translation>
    </message>
    <message>
        <source>帧时间%1毫秒不能写进序列文件（1到255毫秒）</source>
        <translation>a frame period of %1 ms cannot be written to a sequence file (1 to 255 ms)</translation>
    </message>
    <message>
        <source>素材%1的模型没有使用任何端口</source>
        <translation>show %1's model uses no port</translation>
    </message>
    <message>
        <source>%1：步长%2毫秒不是机器能播放的帧时间（30到200毫秒）；用 --period 重新取样</source>
        <translation>%1: a step time of %2 ms is no frame period the machines play (30 to 200 ms); resample it with --period</translation>
    </message>
    <message>
        <source>帧时间只能是30到200毫秒</source>
        <translation>the frame period must be 30 to 200 ms</translation>
    </message>
    <message>
        <source>%1：%2帧超过一个素材能录制的帧数</source>
        <translation>%1: %2 frames are more than a show can hold</translation>
    </message>
    <message>
        <source>%1：没有帧</source>
        <translation>%1: no frames</translation>
    </message>
    <message>
        <source>%1：没有通道属于任何机器</source>
        <translation>%1: no channel belongs to a machine</translation>
    </message>
    <message>
        <source>素材%1已经有录制的帧文件；要替换它们，用 --force</source>
        <translation>show %1 has recorded frame files; to replace them, use --force</translation>
    </message>
    <message>
        <source>用法：kq510 [--home DIR] [--capture x11|portal] [--lang zh|en]   主窗口
      kq510 --factory-test [--home DIR]           工厂测试窗口
      kq510 --r770-switch [--home DIR]            R-770检测开关
      kq510 send --machine N CODE [HEXDATA] [--wait MS] [--home DIR]
      kq510 build [--material N] [--home DIR]
      kq510 inspect FILE
      kq510 preview --material N --out FILE.gif|FILE.webp|DIR/ [--model M] [--scale S] [--frames A-B]
      kq510 download (--machine N | --all) [--home DIR]
      kq510 upgrade --machine N FILE.bin [--home DIR]
      kq510 fseq --material N --out FILE.fseq [--compression zstd|zlib|none] [--per-controller DIR]
      kq510 from-fseq --in FILE.fseq --material N [--period MS] [--force]
      kq510 --help | --version
应用文件夹（设置、模型、素材）就是程序自己的文件夹，除非 --home 指定另一个。屏幕从X服务器复制，
在Wayland会话中则通过桌面的门户（portal）共享；--capture（或设置 %1）选择其中一种。
“kq510 命令 --help”说明一个命令。窗口和命令都使用 --lang 指定的语言（每个命令都接受它），
否则用设置 %2（zh 或 en），否则按区域设置：zh_* 为中文，其他为英文。
</source>
        <translation>usage: kq510 [--home DIR] [--capture x11|portal] [--lang zh|en]   the main window
       kq510 --factory-test [--home DIR]           the factory test window
       kq510 --r770-switch [--home DIR]            the R-770 detection switch
       kq510 send --machine N CODE [HEXDATA] [--wait MS] [--home DIR]
       kq510 build [--material N] [--home DIR]
       kq510 inspect FILE
       kq510 preview --material N --out FILE.gif|FILE.webp|DIR/ [--model M] [--scale S] [--frames A-B]
       kq510 download (--machine N | --all) [--home DIR]
       kq510 upgrade --machine N FILE.bin [--home DIR]
       kq510 fseq --material N --out FILE.fseq [--compression zstd|zlib|none] [--per-controller DIR]
       kq510 from-fseq --in FILE.fseq --material N [--period MS] [--force]
       kq510 --help | --version
The application folder (settings, models, shows) is the program's own folder unless --home names
another. The screen is copied from the X server, or in a Wayland session shared through the
desktop's portal; --capture (or the setting %1) picks one. 'kq510 COMMAND --help' describes a
command. The windows and the commands (every one takes --lang) speak the language of --lang, else
of the setting %2 (zh or en), else of the locale: Chinese for zh_*, English for any other.
</translation>
    </message>
    <message>
        <source>[%1] 地址%2-%3超过控制器每端口的%4个像素，超出部分不会发送</source>
        <translation>[%1] addresses %2-%3 pass the controller's %4 pixels a port; what lies past them is not sent</translation>
    </message>
</context>
</TS>