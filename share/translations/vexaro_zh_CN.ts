<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>lenti</name>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Align</source>
        <translation>对齐</translation>
    </message>
    <message>
        <source>Onion skin</source>
        <translation>洋葱皮</translation>
    </message>
    <message>
        <source>Lay the reference frame over the current one inside the crop</source>
        <translation>在裁切框内把参考帧叠在当前帧上</translation>
    </message>
    <message>
        <source>Difference</source>
        <translation>差值</translation>
    </message>
    <message>
        <source>How much of the reference frame shows</source>
        <translation>参考帧显示的程度</translation>
    </message>
    <message>
        <source>Rail (shift)</source>
        <translation>滑轨（平移）</translation>
    </message>
    <message>
        <source>Handheld (turn, scale)</source>
        <translation>手持（旋转、缩放）</translation>
    </message>
    <message>
        <source>Align frames</source>
        <translation>对齐所有帧</translation>
    </message>
    <message>
        <source>Register every frame to the reference over its crop</source>
        <translation>按裁切区域把每一帧对准参考帧</translation>
    </message>
    <message>
        <source>Align this frame</source>
        <translation>对齐此帧</translation>
    </message>
    <message>
        <source>Register the current frame alone to the reference</source>
        <translation>只把当前帧对准参考帧</translation>
    </message>
    <message>
        <source>Pick subject</source>
        <translation>选择主体</translation>
    </message>
    <message>
        <source>Click the key subject in the current photo: every frame lines up on it</source>
        <translation>在当前照片中点击主体：所有帧都以它对齐</translation>
    </message>
    <message>
        <source>Reset frame</source>
        <translation>重置帧</translation>
    </message>
    <message>
        <source>The current frame back as framed (arrow keys nudge it)</source>
        <translation>当前帧恢复为裁切时的位置（方向键可微调）</translation>
    </message>
    <message>
        <source>Lens</source>
        <translation>光栅</translation>
    </message>
    <message>
        <source>The printer's own resolution (72 to 4800 dpi), or the resolution nearest to 300 dpi that gives whole strips</source>
        <translation>打印机自身的分辨率（72 至 4800 dpi），或最接近 300 dpi 且条纹为整像素的分辨率</translation>
    </message>
    <message>
        <source>Where the first lens starts: -0.5 to 0.5 of a lens</source>
        <translation>第一条光栅的起点：-0.5 至 0.5 个光栅</translation>
    </message>
    <message>
        <source>Picture width upright, in cm</source>
        <translation>竖放时的图片宽度（厘米）</translation>
    </message>
    <message>
        <source>Picture height upright, in cm</source>
        <translation>竖放时的图片高度（厘米）</translation>
    </message>
    <message>
        <source>Area average: each pixel averages the photo pixels it covers (no aliasing in the strips)</source>
        <translation>区域平均：每个像素取其覆盖的照片像素的平均值（条纹无锯齿）</translation>
    </message>
    <message>
        <source>Pitch (lpi):</source>
        <translation>线数 (lpi)：</translation>
    </message>
    <message>
        <source>Output:</source>
        <translation>输出：</translation>
    </message>
    <message>
        <source>Phase:</source>
        <translation>相位：</translation>
    </message>
    <message>
        <source>Size (cm):</source>
        <translation>尺寸（厘米）：</translation>
    </message>
    <message>
        <source>Sampling:</source>
        <translation>采样：</translation>
    </message>
    <message>
        <source>View through lens</source>
        <translation>透过光栅查看</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>播放(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Reset</source>
        <translation>重置(&amp;R)</translation>
    </message>
    <message>
        <source>Angle:</source>
        <translation>角度：</translation>
    </message>
    <message>
        <source>Sheet pitch (LPI):</source>
        <translation>光栅板线数 (LPI)：</translation>
    </message>
    <message>
        <source>The sheet pitch must be a number of lines per inch, such as 21.25</source>
        <translation>光栅板线数必须是每英寸的线数，例如 21.25</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>停止(&amp;S)</translation>
    </message>
    <message>
        <source>Vexaro Photo Maker V1.10</source>
        <translation>Vexaro 立体照片制作 V1.10</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Stop the work (Esc); everything stays as it was</source>
        <translation>停止工作 (Esc)；一切保持原样</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>参数</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>模式</translation>
    </message>
    <message>
        <source>Upright print, strips along the rows</source>
        <translation>竖向打印，条纹沿行排列</translation>
    </message>
    <message>
        <source>Print across, strips along the columns</source>
        <translation>横向打印，条纹沿列排列</translation>
    </message>
    <message>
        <source>Ver 1.10</source>
        <translation>版本 1.10</translation>
    </message>
    <message>
        <source>Photo Source</source>
        <translation>照片来源</translation>
    </message>
    <message>
        <source>Input text</source>
        <translation>输入文字</translation>
    </message>
    <message>
        <source>&amp;Font</source>
        <translation>字体(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Colour</source>
        <translation>颜色(&amp;C)</translation>
    </message>
    <message>
        <source>The colour of the text</source>
        <translation>文字的颜色</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>应用(&amp;A)</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>命令</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>关于(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Merge</source>
        <translation>合成(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Rotate</source>
        <translation>旋转(&amp;R)</translation>
    </message>
    <message>
        <source>Rotate canvas</source>
        <translation>旋转画布</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>打印(&amp;P)</translation>
    </message>
    <message>
        <source>Align-Bar</source>
        <translation>对位条</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>退出(&amp;E)</translation>
    </message>
    <message>
        <source>裁切</source>
        <translation>裁切</translation>
    </message>
    <message>
        <source>DPI:</source>
        <translation>DPI：</translation>
    </message>
    <message>
        <source>Interlace Type</source>
        <translation>交错方式</translation>
    </message>
    <message>
        <source>3D</source>
        <translation>3D</translation>
    </message>
    <message>
        <source>Up-Down</source>
        <translation>上下变图</translation>
    </message>
    <message>
        <source>输出误差</source>
        <translation>输出误差</translation>
    </message>
    <message>
        <source>参考测试图调整</source>
        <translation>参考测试图调整</translation>
    </message>
    <message>
        <source>&amp;Align</source>
        <translation>对齐(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>工具(&amp;T)</translation>
    </message>
    <message>
        <source>Pitch test chart...</source>
        <translation>线数测试图...</translation>
    </message>
    <message>
        <source>View through lens...</source>
        <translation>透过光栅查看...</translation>
    </message>
    <message>
        <source>&amp;Press</source>
        <translation>印刷(&amp;P)</translation>
    </message>
    <message>
        <source>Soft proof</source>
        <translation>软打样</translation>
    </message>
    <message>
        <source>Mark colours the press cannot print</source>
        <translation>标出印刷无法再现的颜色</translation>
    </message>
    <message>
        <source>Press profile...</source>
        <translation>印刷特性文件...</translation>
    </message>
    <message>
        <source>Default press profile</source>
        <translation>默认印刷特性文件</translation>
    </message>
    <message>
        <source>Perceptual</source>
        <translation>可感知</translation>
    </message>
    <message>
        <source>Relative colorimetric</source>
        <translation>相对比色</translation>
    </message>
    <message>
        <source>Bleed</source>
        <translation>出血</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>%1 mm</source>
        <translation>%1 毫米</translation>
    </message>
    <message>
        <source>Text in black ink only</source>
        <translation>文字只用黑墨</translation>
    </message>
    <message>
        <source>Print with crop and registration marks</source>
        <translation>打印裁切线和套准标记</translation>
    </message>
    <message>
        <source>&amp;New project</source>
        <translation>新建项目(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Open project...</source>
        <translation>打开项目(&amp;O)...</translation>
    </message>
    <message>
        <source>Open &amp;recent</source>
        <translation>最近打开(&amp;R)</translation>
    </message>
    <message>
        <source>Save pro&amp;ject</source>
        <translation>保存项目(&amp;J)</translation>
    </message>
    <message>
        <source>Save project &amp;as...</source>
        <translation>项目另存为(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>编辑(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>撤销(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>重做(&amp;R)</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>未命名</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Import photos...</source>
        <translation>导入照片(&amp;I)...</translation>
    </message>
    <message>
        <source>Save &amp;picture...</source>
        <translation>保存图片(&amp;P)...</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>打印(&amp;P)...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>退出(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;Photos</source>
        <translation>照片(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Remove photo</source>
        <translation>移除照片(&amp;R)</translation>
    </message>
    <message>
        <source>Empty the current slot</source>
        <translation>清空当前位置</translation>
    </message>
    <message>
        <source>No preview</source>
        <translation>无预览</translation>
    </message>
    <message>
        <source>%1 x %2 px</source>
        <translation>%1 x %2 像素</translation>
    </message>
    <message>
        <source>Print Preview</source>
        <translation>打印预览</translation>
    </message>
    <message>
        <source>Print size over!</source>
        <translation>打印尺寸超出！</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>取消(&amp;C)</translation>
    </message>
    <message>
        <source>Press Profile</source>
        <translation>印刷特性文件</translation>
    </message>
    <message>
        <source>ICC profiles (*.icc *.icm)</source>
        <translation>ICC 特性文件 (*.icc *.icm)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <source>Vexaro Photo Maker project (*.vexaro)</source>
        <translation>Vexaro 立体照片项目 (*.vexaro)</translation>
    </message>
    <message>
        <source>Open Project</source>
        <translation>打开项目</translation>
    </message>
    <message>
        <source>Save Project</source>
        <translation>保存项目</translation>
    </message>
    <message>
        <source>Text colour</source>
        <translation>文字颜色</translation>
    </message>
    <message>
        <source>Pre&amp;view...</source>
        <translation>预览(&amp;V)...</translation>
    </message>
    <message>
        <source>Print to PDF file</source>
        <translation>打印到 PDF 文件</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF 文件 (*.pdf)</translation>
    </message>
    <message>
        <source>Reverse order</source>
        <translation>反转顺序</translation>
    </message>
    <message>
        <source>Remove photo</source>
        <translation>移除照片</translation>
    </message>
    <message>
        <source>Test LPI</source>
        <translation>测试 LPI</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>尺寸：</translation>
    </message>
    <message>
        <source>LPI:</source>
        <translation>LPI：</translation>
    </message>
    <message>
        <source>Lines:</source>
        <translation>线数：</translation>
    </message>
    <message>
        <source>Step:</source>
        <translation>步长：</translation>
    </message>
    <message>
        <source>&amp;Create</source>
        <translation>生成(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>关闭(&amp;C)</translation>
    </message>
    <message>
        <source>Row:</source>
        <translation>行：</translation>
    </message>
    <message>
        <source>The row that looks even through the lens sheet</source>
        <translation>透过光栅板看起来均匀的那一行</translation>
    </message>
    <message>
        <source>Use this pitch</source>
        <translation>使用此线数</translation>
    </message>
    <message>
        <source>The main window's lens pitch becomes this row's and its output resolution the chart's DPI</source>
        <translation>主窗口的光栅线数设为此行的线数，输出分辨率设为测试图的 DPI</translation>
    </message>
    <message>
        <source>Stop the chart (Esc); the previous chart stays</source>
        <translation>停止测试图 (Esc)；保留上一张测试图</translation>
    </message>
    <message>
        <source>Alignment model</source>
        <translation>对齐模型</translation>
    </message>
    <message>
        <source>Strips across (portrait)</source>
        <translation>横向条纹（竖幅）</translation>
    </message>
    <message>
        <source>Strips down (landscape)</source>
        <translation>纵向条纹（横幅）</translation>
    </message>
    <message>
        <source>Photo slot %1</source>
        <translation>照片位置 %1</translation>
    </message>
    <message>
        <source>Thumbnail of slot %1</source>
        <translation>位置 %1 的缩略图</translation>
    </message>
    <message>
        <source>Overlay text</source>
        <translation>叠加文字</translation>
    </message>
    <message>
        <source>Lens pitch</source>
        <translation>光栅线数</translation>
    </message>
    <message>
        <source>Output error</source>
        <translation>输出误差</translation>
    </message>
    <message>
        <source>Merged!</source>
        <translation>合成完毕！</translation>
    </message>
    <message>
        <source>打印机DPI设置不对!</source>
        <translation>打印机DPI设置不对！</translation>
    </message>
    <message>
        <source>.</source>
        <translation>。</translation>
    </message>
    <message>
        <source>The project has unsaved changes.
Drop them?</source>
        <translation>项目有未保存的更改。
放弃这些更改吗？</translation>
    </message>
    <message>
        <source>Vexaro Photo Maker did not close normally last time.
Restore the work it had then?</source>
        <translation>Vexaro 立体照片制作上次没有正常关闭。
恢复当时的工作吗？</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <source>Cannot find the home folder: HOME is not set</source>
        <translation>找不到主文件夹：未设置 HOME</translation>
    </message>
    <message>
        <source>Cannot start the font system</source>
        <translation>无法启动字体系统</translation>
    </message>
    <message>
        <source>Font size too large</source>
        <translation>字号太大</translation>
    </message>
    <message>
        <source>The crop to scale is empty</source>
        <translation>要缩放的裁切区域为空</translation>
    </message>
    <message>
        <source>The page size must not be empty</source>
        <translation>页面尺寸不能为空</translation>
    </message>
    <message>
        <source>The printer's resolution is not known</source>
        <translation>打印机的分辨率未知</translation>
    </message>
    <message>
        <source>There is no merged picture to print</source>
        <translation>没有可打印的合成图片</translation>
    </message>
    <message>
        <source>There is no merged picture to write</source>
        <translation>没有可写出的合成图片</translation>
    </message>
    <message>
        <source>There is no picture to write</source>
        <translation>没有可写出的图片</translation>
    </message>
    <message>
        <source>This printer cannot draw crop marks</source>
        <translation>此打印机无法绘制裁切线</translation>
    </message>
    <message>
        <source>An empty photo cannot be aligned</source>
        <translation>空照片无法对齐</translation>
    </message>
    <message>
        <source>The printer is not printing</source>
        <translation>打印机没有在打印</translation>
    </message>
</context>
</TS>
