<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>lenti</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Align</source>
        <translation>Align</translation>
    </message>
    <message>
        <source>Onion skin</source>
        <translation>Onion skin</translation>
    </message>
    <message>
        <source>Lay the reference frame over the current one inside the crop</source>
        <translation>Lay the reference frame over the current one inside the crop</translation>
    </message>
    <message>
        <source>Difference</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>How much of the reference frame shows</source>
        <translation>How much of the reference frame shows</translation>
    </message>
    <message>
        <source>Rail (shift)</source>
        <translation>Rail (shift)</translation>
    </message>
    <message>
        <source>Handheld (turn, scale)</source>
        <translation>Handheld (turn, scale)</translation>
    </message>
    <message>
        <source>Align frames</source>
        <translation>Align frames</translation>
    </message>
    <message>
        <source>Register every frame to the reference over its crop</source>
        <translation>Register every frame to the reference over its crop</translation>
    </message>
    <message>
        <source>Align this frame</source>
        <translation>Align this frame</translation>
    </message>
    <message>
        <source>Register the current frame alone to the reference</source>
        <translation>Register the current frame alone to the reference</translation>
    </message>
    <message>
        <source>Pick subject</source>
        <translation>Pick subject</translation>
    </message>
    <message>
        <source>Click the key subject in the current photo: every frame lines up on it</source>
        <translation>Click the key subject in the current photo: every frame lines up on it</translation>
    </message>
    <message>
        <source>Reset frame</source>
        <translation>Reset frame</translation>
    </message>
    <message>
        <source>The current frame back as framed (arrow keys nudge it)</source>
        <translation>The current frame back as framed (arrow keys nudge it)</translation>
    </message>
    <message>
        <source>Lens</source>
        <translation>Lens</translation>
    </message>
    <message>
        <source>The printer's own resolution (72 to 4800 dpi), or the resolution nearest to 300 dpi that gives whole strips</source>
        <translation>The printer's own resolution (72 to 4800 dpi), or the resolution nearest to 300 dpi that gives whole strips</translation>
    </message>
    <message>
        <source>Where the first lens starts: -0.5 to 0.5 of a lens</source>
        <translation>Where the first lens starts: -0.5 to 0.5 of a lens</translation>
    </message>
    <message>
        <source>Picture width upright, in cm</source>
        <translation>Picture width upright, in cm</translation>
    </message>
    <message>
        <source>Picture height upright, in cm</source>
        <translation>Picture height upright, in cm</translation>
    </message>
    <message>
        <source>Area average: each pixel averages the photo pixels it covers (no aliasing in the strips)</source>
        <translation>Area average: each pixel averages the photo pixels it covers (no aliasing in the strips)</translation>
    </message>
    <message>
        <source>Pitch (lpi):</source>
        <translation>Pitch (lpi):</translation>
    </message>
    <message>
        <source>Output:</source>
        <translation>Output:</translation>
    </message>
    <message>
        <source>Phase:</source>
        <translation>Phase:</translation>
    </message>
    <message>
        <source>Size (cm):</source>
        <translation>Size (cm):</translation>
    </message>
    <message>
        <source>Sampling:</source>
        <translation>Sampling:</translation>
    </message>
    <message>
        <source>View through lens</source>
        <translation>View through lens</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>&amp;Reset</source>
        <translation>&amp;Reset</translation>
    </message>
    <message>
        <source>Angle:</source>
        <translation>Angle:</translation>
    </message>
    <message>
        <source>Sheet pitch (LPI):</source>
        <translation>Sheet pitch (LPI):</translation>
    </message>
    <message>
        <source>The sheet pitch must be a number of lines per inch, such as 21.25</source>
        <translation>The sheet pitch must be a number of lines per inch, such as 21.25</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stop</translation>
    </message>
    <message>
        <source>Vexaro Photo Maker V1.10</source>
        <translation>Vexaro Photo Maker V1.10</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Stop the work (Esc); everything stays as it was</source>
        <translation>Stop the work (Esc); everything stays as it was</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>Upright print, strips along the rows</source>
        <translation>Upright print, strips along the rows</translation>
    </message>
    <message>
        <source>Print across, strips along the columns</source>
        <translation>Print across, strips along the columns</translation>
    </message>
    <message>
        <source>Ver 1.10</source>
        <translation>Ver 1.10</translation>
    </message>
    <message>
        <source>Photo Source</source>
        <translation>Photo Source</translation>
    </message>
    <message>
        <source>Input text</source>
        <translation>Input text</translation>
    </message>
    <message>
        <source>&amp;Font</source>
        <translation>&amp;Font</translation>
    </message>
    <message>
        <source>&amp;Colour</source>
        <translation>&amp;Colour</translation>
    </message>
    <message>
        <source>The colour of the text</source>
        <translation>The colour of the text</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>&amp;Apply</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>&amp;Merge</source>
        <translation>&amp;Merge</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>&amp;Rotate</source>
        <translation>&amp;Rotate</translation>
    </message>
    <message>
        <source>Rotate canvas</source>
        <translation>Rotate canvas</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>Align-Bar</source>
        <translation>Align-Bar</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Exit</translation>
    </message>
    <message>
        <source>裁切</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>DPI:</source>
        <translation>DPI:</translation>
    </message>
    <message>
        <source>Interlace Type</source>
        <translation>Interlace Type</translation>
    </message>
    <message>
        <source>3D</source>
        <translation>3D</translation>
    </message>
    <message>
        <source>Up-Down</source>
        <translation>Up-Down</translation>
    </message>
    <message>
        <source>输出误差</source>
        <translation>Output error</translation>
    </message>
    <message>
        <source>参考测试图调整</source>
        <translation>Adjust by the test chart</translation>
    </message>
    <message>
        <source>&amp;Align</source>
        <translation>&amp;Align</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>Pitch test chart...</source>
        <translation>Pitch test chart...</translation>
    </message>
    <message>
        <source>View through lens...</source>
        <translation>View through lens...</translation>
    </message>
    <message>
        <source>&amp;Press</source>
        <translation>&amp;Press</translation>
    </message>
    <message>
        <source>Soft proof</source>
        <translation>Soft proof</translation>
    </message>
    <message>
        <source>Mark colours the press cannot print</source>
        <translation>Mark colours the press cannot print</translation>
    </message>
    <message>
        <source>Press profile...</source>
        <translation>Press profile...</translation>
    </message>
    <message>
        <source>Default press profile</source>
        <translation>Default press profile</translation>
    </message>
    <message>
        <source>Perceptual</source>
        <translation>Perceptual</translation>
    </message>
    <message>
        <source>Relative colorimetric</source>
        <translation>Relative colorimetric</translation>
    </message>
    <message>
        <source>Bleed</source>
        <translation>Bleed</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>%1 mm</source>
        <translation>%1 mm</translation>
    </message>
    <message>
        <source>Text in black ink only</source>
        <translation>Text in black ink only</translation>
    </message>
    <message>
        <source>Print with crop and registration marks</source>
        <translation>Print with crop and registration marks</translation>
    </message>
    <message>
        <source>&amp;New project</source>
        <translation>&amp;New project</translation>
    </message>
    <message>
        <source>&amp;Open project...</source>
        <translation>&amp;Open project...</translation>
    </message>
    <message>
        <source>Open &amp;recent</source>
        <translation>Open &amp;recent</translation>
    </message>
    <message>
        <source>Save pro&amp;ject</source>
        <translation>Save pro&amp;ject</translation>
    </message>
    <message>
        <source>Save project &amp;as...</source>
        <translation>Save project &amp;as...</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Import photos...</source>
        <translation>&amp;Import photos...</translation>
    </message>
    <message>
        <source>Save &amp;picture...</source>
        <translation>Save &amp;picture...</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Print...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>&amp;Photos</source>
        <translation>&amp;Photos</translation>
    </message>
    <message>
        <source>&amp;Remove photo</source>
        <translation>&amp;Remove photo</translation>
    </message>
    <message>
        <source>Empty the current slot</source>
        <translation>Empty the current slot</translation>
    </message>
    <message>
        <source>No preview</source>
        <translation>No preview</translation>
    </message>
    <message>
        <source>%1 x %2 px</source>
        <translation>%1 x %2 px</translation>
    </message>
    <message>
        <source>Print Preview</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>Print size over!</source>
        <translation>Print size over!</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>Press Profile</source>
        <translation>Press Profile</translation>
    </message>
    <message>
        <source>ICC profiles (*.icc *.icm)</source>
        <translation>ICC profiles (*.icc *.icm)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Vexaro Photo Maker project (*.vexaro)</source>
        <translation>Vexaro Photo Maker project (*.vexaro)</translation>
    </message>
    <message>
        <source>Open Project</source>
        <translation>Open Project</translation>
    </message>
    <message>
        <source>Save Project</source>
        <translation>Save Project</translation>
    </message>
    <message>
        <source>Text colour</source>
        <translation>Text colour</translation>
    </message>
    <message>
        <source>Pre&amp;view...</source>
        <translation>Pre&amp;view...</translation>
    </message>
    <message>
        <source>Print to PDF file</source>
        <translation>Print to PDF file</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>Reverse order</source>
        <translation>Reverse order</translation>
    </message>
    <message>
        <source>Remove photo</source>
        <translation>Remove photo</translation>
    </message>
    <message>
        <source>Test LPI</source>
        <translation>Test LPI</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>LPI:</source>
        <translation>LPI:</translation>
    </message>
    <message>
        <source>Lines:</source>
        <translation>Lines:</translation>
    </message>
    <message>
        <source>Step:</source>
        <translation>Step:</translation>
    </message>
    <message>
        <source>&amp;Create</source>
        <translation>&amp;Create</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Row:</source>
        <translation>Row:</translation>
    </message>
    <message>
        <source>The row that looks even through the lens sheet</source>
        <translation>The row that looks even through the lens sheet</translation>
    </message>
    <message>
        <source>Use this pitch</source>
        <translation>Use this pitch</translation>
    </message>
    <message>
        <source>The main window's lens pitch becomes this row's and its output resolution the chart's DPI</source>
        <translation>The main window's lens pitch becomes this row's and its output resolution the chart's DPI</translation>
    </message>
    <message>
        <source>Stop the chart (Esc); the previous chart stays</source>
        <translation>Stop the chart (Esc); the previous chart stays</translation>
    </message>
    <message>
        <source>Alignment model</source>
        <translation>Alignment model</translation>
    </message>
    <message>
        <source>Strips across (portrait)</source>
        <translation>Strips across (portrait)</translation>
    </message>
    <message>
        <source>Strips down (landscape)</source>
        <translation>Strips down (landscape)</translation>
    </message>
    <message>
        <source>Photo slot %1</source>
        <translation>Photo slot %1</translation>
    </message>
    <message>
        <source>Thumbnail of slot %1</source>
        <translation>Thumbnail of slot %1</translation>
    </message>
    <message>
        <source>Overlay text</source>
        <translation>Overlay text</translation>
    </message>
    <message>
        <source>Lens pitch</source>
        <translation>Lens pitch</translation>
    </message>
    <message>
        <source>Output error</source>
        <translation>Output error</translation>
    </message>
    <message>
        <source>Merged!</source>
        <translation>Merged!</translation>
    </message>
    <message>
        <source>打印机DPI设置不对!</source>
        <translation>The printer's DPI setting is wrong!</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <source>The project has unsaved changes.
Drop them?</source>
        <translation>The project has unsaved changes.
Drop them?</translation>
    </message>
    <message>
        <source>Vexaro Photo Maker did not close normally last time.
Restore the work it had then?</source>
        <translation>Vexaro Photo Maker did not close normally last time.
Restore the work it had then?</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Out of memory</translation>
    </message>
    <message>
        <source>Cannot find the home folder: HOME is not set</source>
        <translation>Cannot find the home folder: HOME is not set</translation>
    </message>
    <message>
        <source>Cannot start the font system</source>
        <translation>Cannot start the font system</translation>
    </message>
    <message>
        <source>Font size too large</source>
        <translation>Font size too large</translation>
    </message>
    <message>
        <source>The crop to scale is empty</source>
        <translation>The crop to scale is empty</translation>
    </message>
    <message>
        <source>The page size must not be empty</source>
        <translation>The page size must not be empty</translation>
    </message>
    <message>
        <source>The printer's resolution is not known</source>
        <translation>The printer's resolution is not known</translation>
    </message>
    <message>
        <source>There is no merged picture to print</source>
        <translation>There is no merged picture to print</translation>
    </message>
    <message>
        <source>There is no merged picture to write</source>
        <translation>There is no merged picture to write</translation>
    </message>
    <message>
        <source>There is no picture to write</source>
        <translation>There is no picture to write</translation>
    </message>
    <message>
        <source>This printer cannot draw crop marks</source>
        <translation>This printer cannot draw crop marks</translation>
    </message>
    <message>
        <source>An empty photo cannot be aligned</source>
        <translation>An empty photo cannot be aligned</translation>
    </message>
    <message>
        <source>The printer is not printing</source>
        <translation>The printer is not printing</translation>
    </message>
</context>
</TS>
