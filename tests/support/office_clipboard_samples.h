// HTML as office programs put it on the clipboard ("text/html"), written
// for these tests after the programs' habits: Word's document with its
// head, XML islands, Mso classes, list paragraphs and `<o:p>`; LibreOffice
// Writer's whole document with font wrappers and language spans; Google
// Docs' fragment in its not-bold wrapper; an Excel range. Each holds
// headings or paragraphs, bold, italic, underline, a link, a list and a
// table where the program's copy has them.
#pragma once

namespace pellora::test {

inline constexpr const char* kWordClipboard = R"HTML(<html xmlns:v="urn:schemas-microsoft-com:vml"
xmlns:o="urn:schemas-microsoft-com:office:office"
xmlns:w="urn:schemas-microsoft-com:office:word"
xmlns:m="http://schemas.microsoft.com/office/2004/12/omml"
xmlns="http://www.w3.org/TR/REC-html40">

<head>
<meta http-equiv=Content-Type content="text/html; charset=utf-8">
<meta name=ProgId content=Word.Document>
<meta name=Generator content="Microsoft Word 15">
<meta name=Originator content="Microsoft Word 15">
<link rel=File-List
href="file:///C:/Users/anna/AppData/Local/Temp/msohtmlclip1/01/clip_filelist.xml">
<!--[if gte mso 9]><xml>
 <o:OfficeDocumentSettings>
  <o:AllowPNG/>
 </o:OfficeDocumentSettings>
</xml><![endif]-->
<!--[if gte mso 9]><xml>
 <w:WordDocument>
  <w:View>Normal</w:View>
  <w:Zoom>0</w:Zoom>
  <w:TrackMoves/>
  <w:HyphenationZone>21</w:HyphenationZone>
 </w:WordDocument>
</xml><![endif]-->
<style>
<!--
 /* Font Definitions */
 @font-face
	{font-family:"Cambria Math";
	panose-1:2 4 5 3 5 4 6 3 2 4;
	mso-font-charset:0;}
p.MsoNormal, li.MsoNormal, div.MsoNormal
	{mso-style-unhide:no;
	mso-style-qformat:yes;
	margin-top:0cm;
	font-size:11.0pt;
	font-family:"Calibri",sans-serif;}
-->
</style>
<!--[if gte mso 10]>
<style>
 /* Style Definitions */
 table.MsoNormalTable
	{mso-style-name:"Normale Tabelle";
	mso-tstyle-rowband-size:0;}
</style>
<![endif]-->
</head>

<body lang=DE link="#0563C1" vlink="#954F72" style='tab-interval:35.4pt'>
<!--StartFragment-->

<h1><a name="_GoBack"></a><span lang=EN-US style='mso-ansi-language:EN-US'>Quarterly report<o:p></o:p></span></h1>

<p class=MsoNormal><span lang=EN-US style='mso-ansi-language:EN-US'>Sales rose by <b>twelve
percent</b>, <i>mostly</i> in the <u>north</u>. See <a
href="https://example.com/report?year=2026&amp;q=3">the full report</a>.<o:p></o:p></span></p>

<p class=MsoNormal><o:p>&nbsp;</o:p></p>

<p class=MsoListParagraphCxSpFirst style='text-indent:-18.0pt;mso-list:l0 level1 lfo1'><![if !supportLists]><span
style='font-family:Symbol;mso-fareast-font-family:Symbol;mso-bidi-font-family:
Symbol'><span style='mso-list:Ignore'>·<span style='font:7.0pt "Times New Roman"'>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;
</span></span></span><![endif]>Berlin<o:p></o:p></p>

<p class=MsoListParagraphCxSpMiddle style='margin-left:72.0pt;mso-add-space:auto;
text-indent:-18.0pt;mso-list:l0 level2 lfo1'><![if !supportLists]><span
style='font-family:"Courier New";mso-fareast-font-family:"Courier New"'><span
style='mso-list:Ignore'>o<span style='font:7.0pt "Times New Roman"'>&nbsp;&nbsp;
</span></span></span><![endif]>Mitte<o:p></o:p></p>

<p class=MsoListParagraphCxSpLast style='text-indent:-18.0pt;mso-list:l0 level1 lfo1'><![if !supportLists]><span
style='font-family:Symbol;mso-fareast-font-family:Symbol'><span
style='mso-list:Ignore'>·<span style='font:7.0pt "Times New Roman"'>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;
</span></span></span><![endif]>Hamburg<o:p></o:p></p>

<p class=MsoNormal><o:p>&nbsp;</o:p></p>

<p class=MsoListParagraphCxSpFirst style='text-indent:-18.0pt;mso-list:l1 level1 lfo2'><!--[if !supportLists]--><span
style='mso-bidi-font-family:Calibri'><span style='mso-list:Ignore'>1.<span
style='font:7.0pt "Times New Roman"'>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp; </span></span></span><!--[endif]-->Plan<o:p></o:p></p>

<p class=MsoListParagraphCxSpLast style='text-indent:-18.0pt;mso-list:l1 level1 lfo2'><!--[if !supportLists]--><span
style='mso-bidi-font-family:Calibri'><span style='mso-list:Ignore'>2.<span
style='font:7.0pt "Times New Roman"'>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp; </span></span></span><!--[endif]-->Build<o:p></o:p></p>

<table class=MsoTableGrid border=1 cellspacing=0 cellpadding=0
 style='border-collapse:collapse;border:none;mso-border-alt:solid windowtext .5pt;
 mso-yfti-tbllook:1184;mso-padding-alt:0cm 5.4pt 0cm 5.4pt'>
 <tr style='mso-yfti-irow:0;mso-yfti-firstrow:yes'>
  <td width=302 valign=top style='width:226.55pt;border:solid windowtext 1.0pt;
  mso-border-alt:solid windowtext .5pt;padding:0cm 5.4pt 0cm 5.4pt'>
  <p class=MsoNormal style='margin-bottom:0cm;line-height:normal'><b>City<o:p></o:p></b></p>
  </td>
  <td width=302 valign=top style='width:226.55pt;border:solid windowtext 1.0pt;
  border-left:none;mso-border-left-alt:solid windowtext .5pt;padding:0cm 5.4pt 0cm 5.4pt'>
  <p class=MsoNormal style='margin-bottom:0cm;line-height:normal'><b>Sales<o:p></o:p></b></p>
  </td>
 </tr>
 <tr style='mso-yfti-irow:1;mso-yfti-lastrow:yes'>
  <td width=302 valign=top style='width:226.55pt;border:solid windowtext 1.0pt;
  border-top:none;padding:0cm 5.4pt 0cm 5.4pt'>
  <p class=MsoNormal style='margin-bottom:0cm;line-height:normal'>Berlin<o:p></o:p></p>
  </td>
  <td width=302 valign=top style='width:226.55pt;border-top:none;border-left:none;
  border-bottom:solid windowtext 1.0pt;border-right:solid windowtext 1.0pt;padding:0cm 5.4pt 0cm 5.4pt'>
  <p class=MsoNormal align=right style='margin-bottom:0cm;text-align:right;
  line-height:normal'><span style='font-family:"Arial",sans-serif;color:#C00000'>1.200<o:p></o:p></span></p>
  </td>
 </tr>
</table>

<p class=MsoNormal><span style='font-size:14.0pt;line-height:107%;font-family:"Arial",sans-serif;
mso-fareast-font-family:Calibri'>Thanks<o:p></o:p></span></p>

<!--EndFragment-->
</body>

</html>
)HTML";

inline constexpr const char* kLibreOfficeClipboard =
    R"HTML(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">
<html>
<head>
	<meta http-equiv="content-type" content="text/html; charset=utf-8"/>
	<title></title>
	<meta name="generator" content="LibreOffice 7.4.7.2 (Linux)"/>
	<style type="text/css">
		@page { size: 21cm 29.7cm; margin: 2cm }
		p { line-height: 115%; margin-bottom: 0.25cm; background: transparent }
		h2.western { font-family: "Liberation Sans", sans-serif; font-size: 16pt; font-weight: bold }
		a:link { color: #000080; so-language: zxx; text-decoration: underline }
	</style>
</head>
<body lang="de-DE" link="#000080" vlink="#800000" dir="ltr"><h2 class="western">Einladung</h2>
<p style="line-height: 100%; margin-bottom: 0cm"><font face="Liberation Serif, serif"><font size="3" style="font-size: 12pt"><span lang="de-DE">Wir treffen uns am </span></font></font><font face="Liberation Serif, serif"><font size="3" style="font-size: 12pt"><b>Freitag</b></font></font><font face="Liberation Serif, serif"><font size="3" style="font-size: 12pt"> im </font></font><font color="#c9211e"><font face="Liberation Serif, serif"><font size="3" style="font-size: 12pt"><i><u>Saal 3</u></i></font></font></font><font face="Liberation Serif, serif"><font size="3" style="font-size: 12pt">.</font></font></p>
<ul>
	<li><p style="margin-bottom: 0cm; line-height: 100%"><font face="Liberation Serif, serif"><font size="3" style="font-size: 12pt">Kaffee</font></font></p></li>
	<li><p style="margin-bottom: 0cm; line-height: 100%"><a href="https://example.org/kuchen"><font face="Liberation Serif, serif"><font size="3" style="font-size: 12pt">Kuchen</font></font></a></p></li>
</ul>
<table width="100%" cellpadding="4" cellspacing="0">
	<col width="128*"/>

	<col width="128*"/>

	<tr valign="top">
		<td width="50%" style="border-top: 1px solid #000000; border-bottom: 1px solid #000000; border-left: 1px solid #000000; border-right: none; padding-top: 0.1cm; padding-bottom: 0.1cm; padding-left: 0.1cm; padding-right: 0cm"><p align="left"><font face="Liberation Serif, serif"><font size="3" style="font-size: 12pt"><span lang="en-US">Name</span></font></font></p>
		</td>
		<td width="50%" style="border: 1px solid #000000; padding: 0.1cm"><p align="left"><font face="Liberation Serif, serif"><font size="3" style="font-size: 12pt">Zeit</font></font></p>
		</td>
	</tr>
</table>
<p style="line-height: 100%; margin-bottom: 0cm"><br/>

</p>
</body>
</html>)HTML";

inline constexpr const char* kGoogleDocsClipboard =
    R"HTML(<meta charset="utf-8"><b style="font-weight:normal;" id="docs-internal-guid-5d3e1a2b-7fff-4c1e-9b0a-1f2e3d4c5b6a"><h1 dir="ltr" style="line-height:1.38;margin-top:20pt;margin-bottom:6pt;"><span style="font-size:20pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:400;font-style:normal;font-variant:normal;text-decoration:none;vertical-align:baseline;white-space:pre;white-space:pre-wrap;">Meeting notes</span></h1><p dir="ltr" style="line-height:1.38;margin-top:0pt;margin-bottom:0pt;"><span style="font-size:11pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:700;font-style:normal;font-variant:normal;text-decoration:none;vertical-align:baseline;white-space:pre;white-space:pre-wrap;">Decided:</span><span style="font-size:11pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:400;font-style:normal;font-variant:normal;text-decoration:none;vertical-align:baseline;white-space:pre;white-space:pre-wrap;"> ship on </span><span style="font-size:11pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:400;font-style:italic;font-variant:normal;text-decoration:none;vertical-align:baseline;white-space:pre;white-space:pre-wrap;">Monday</span><span style="font-size:11pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:400;font-style:normal;font-variant:normal;text-decoration:none;vertical-align:baseline;white-space:pre;white-space:pre-wrap;">, details in </span><a href="https://docs.example.com/d/abc/edit" style="text-decoration:none;"><span style="font-size:11pt;font-family:Arial,sans-serif;color:#1155cc;background-color:transparent;font-weight:400;font-style:normal;font-variant:normal;text-decoration:underline;-webkit-text-decoration-skip:none;text-decoration-skip-ink:none;vertical-align:baseline;white-space:pre;white-space:pre-wrap;">the plan</span></a></p><ul style="margin-top:0;margin-bottom:0;padding-inline-start:48px;"><li dir="ltr" style="list-style-type:disc;font-size:11pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:400;font-style:normal;font-variant:normal;text-decoration:none;vertical-align:baseline;white-space:pre;" aria-level="1"><p dir="ltr" style="line-height:1.38;margin-top:0pt;margin-bottom:0pt;" role="presentation"><span style="font-size:11pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:400;font-style:normal;font-variant:normal;text-decoration:none;vertical-align:baseline;white-space:pre;white-space:pre-wrap;">Tests</span></p></li><li dir="ltr" style="list-style-type:disc;font-size:11pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:400;font-style:normal;font-variant:normal;text-decoration:none;vertical-align:baseline;white-space:pre;" aria-level="1"><p dir="ltr" style="line-height:1.38;margin-top:0pt;margin-bottom:0pt;" role="presentation"><span style="font-size:11pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:400;font-style:normal;font-variant:normal;text-decoration:underline;-webkit-text-decoration-skip:none;text-decoration-skip-ink:none;vertical-align:baseline;white-space:pre;white-space:pre-wrap;">Docs</span></p></li></ul><br /><div dir="ltr" style="margin-left:0pt;" align="left"><table style="border:none;border-collapse:collapse;"><colgroup><col width="120" /><col width="120" /></colgroup><tbody><tr style="height:0pt"><td style="border-left:solid #000000 1pt;border-right:solid #000000 1pt;border-bottom:solid #000000 1pt;border-top:solid #000000 1pt;vertical-align:top;padding:5pt 5pt 5pt 5pt;overflow:hidden;overflow-wrap:break-word;"><p dir="ltr" style="line-height:1.2;margin-top:0pt;margin-bottom:0pt;"><span style="font-size:11pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:400;font-style:normal;font-variant:normal;text-decoration:none;vertical-align:baseline;white-space:pre;white-space:pre-wrap;">Owner</span></p></td><td style="border-left:solid #000000 1pt;border-right:solid #000000 1pt;border-bottom:solid #000000 1pt;border-top:solid #000000 1pt;vertical-align:top;padding:5pt 5pt 5pt 5pt;overflow:hidden;overflow-wrap:break-word;"><p dir="ltr" style="line-height:1.2;margin-top:0pt;margin-bottom:0pt;"><span style="font-size:11pt;font-family:Arial,sans-serif;color:#000000;background-color:transparent;font-weight:400;font-style:normal;font-variant:normal;text-decoration:none;vertical-align:super;white-space:pre;white-space:pre-wrap;">Kim</span></p></td></tr></tbody></table></div></b><br class="Apple-interchange-newline">)HTML";

inline constexpr const char* kExcelClipboard = R"HTML(<html xmlns:v="urn:schemas-microsoft-com:vml"
xmlns:o="urn:schemas-microsoft-com:office:office"
xmlns:x="urn:schemas-microsoft-com:office:excel"
xmlns="http://www.w3.org/TR/REC-html40">

<head>
<meta http-equiv=Content-Type content="text/html; charset=utf-8">
<meta name=ProgId content=Excel.Sheet>
<meta name=Generator content="Microsoft Excel 15">
<link id=Main-File rel=Main-File
href="file:///C:/Users/anna/AppData/Local/Temp/msohtmlclip1/01/clip.htm">
<link rel=File-List
href="file:///C:/Users/anna/AppData/Local/Temp/msohtmlclip1/01/clip_filelist.xml">
<style>
<!--table
	{mso-displayed-decimal-separator:"\,";
	mso-displayed-thousand-separator:"\.";}
@page
	{margin:.79in .7in .79in .7in;
	mso-header-margin:.3in;}
td
	{padding-top:1px;
	mso-number-format:General;
	font-family:Calibri, sans-serif;
	mso-font-charset:0;}
.xl65
	{mso-style-parent:style0;
	font-weight:700;}
-->
</style>
</head>

<body link="#0563C1" vlink="#954F72">

<table border=0 cellpadding=0 cellspacing=0 width=215 style='border-collapse:
 collapse;width:161pt'>
<!--StartFragment-->
 <col width=131 style='mso-width-source:userset;mso-width-alt:4790;width:98pt'>
 <col width=84 style='mso-width-source:userset;mso-width-alt:3072;width:63pt'>
 <tr height=20 style='height:15.0pt'>
  <td height=20 class=xl65 width=131 style='height:15.0pt;width:98pt'>Product</td>
  <td class=xl65 width=84 style='width:63pt'>Units</td>
 </tr>
 <tr height=20 style='height:15.0pt'>
  <td height=20 style='height:15.0pt'>Bolts &amp; nuts</td>
  <td align=right x:num>1200</td>
 </tr>
 <tr height=20 style='height:15.0pt'>
  <td height=20 style='height:15.0pt'>Washers</td>
  <td align=right x:num="42.5">42,5</td>
 </tr>
<!--EndFragment-->
</table>

</body>

</html>
)HTML";

// Word's copy as the engine hands it to the page's paste handler: the head,
// comments and unknown declarations gone, the style sheet's rules and the
// source's computed style written on each block, spaces in converted spans.
inline constexpr const char* kWordAsTheEngineGivesIt =
    R"HTML(<h1 style="caret-color: rgb(0, 0, 0); color: rgb(0, 0, 0); font-style: normal; font-variant-caps: normal; letter-spacing: normal; orphans: auto; text-align: start; text-indent: 0px; text-transform: none; white-space: normal; widows: auto; word-spacing: 0px; -webkit-tap-highlight-color: rgba(0, 0, 0, 0.4); -webkit-text-stroke-width: 0px; text-decoration: none;"><span lang="EN-US">Report<o:p></o:p></span></h1><p class="MsoNormal" style="margin-top: 0cm; font-size: 11pt; font-family: Calibri, sans-serif; caret-color: rgb(0, 0, 0); font-style: normal; font-variant-caps: normal; font-weight: 400; orphans: auto; text-align: start; text-indent: 0px; widows: auto; word-spacing: 0px; -webkit-text-stroke-width: 0px; text-decoration: none;"><span lang="EN-US">Sales rose by<span class="Apple-converted-space"> </span><b>twelve percent</b>.<o:p></o:p></span></p><p class="MsoListParagraphCxSpFirst" style="caret-color: rgb(0, 0, 0); font-weight: 400; orphans: auto; margin-left: 36pt; text-indent: -18pt;"><span style="font-family: Symbol;"><span>·<span style="font-style: normal; font-weight: normal; font-size: 7pt; line-height: normal; font-family: &quot;Times New Roman&quot;; font-kerning: auto;">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<span class="Apple-converted-space"> </span></span></span></span>Berlin<o:p></o:p></p><p class="MsoListParagraphCxSpMiddle" style="caret-color: rgb(0, 0, 0); margin-left: 72pt; text-indent: -18pt;"><span style="font-family: &quot;Courier New&quot;;"><span>o<span style="font-size: 7pt; font-family: &quot;Times New Roman&quot;;">&nbsp;&nbsp;<span class="Apple-converted-space"> </span></span></span></span>Mitte<o:p></o:p></p><p class="MsoListParagraphCxSpLast" style="caret-color: rgb(0, 0, 0); margin-left: 36pt; text-indent: -18pt;"><span style="font-family: Symbol;"><span>·<span style="font-size: 7pt; font-family: &quot;Times New Roman&quot;;">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<span class="Apple-converted-space"> </span></span></span></span>Hamburg<o:p></o:p></p><p class="MsoNormal" style="margin-top: 0cm; font-size: 11pt;"><o:p>&nbsp;</o:p></p><p class="MsoListParagraphCxSpFirst" style="margin-left: 36pt; text-indent: -18pt;"><span><span>1.<span style="font-size: 7pt; font-family: &quot;Times New Roman&quot;;">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<span class="Apple-converted-space"> </span></span></span></span>Plan<o:p></o:p></p><p class="MsoListParagraphCxSpLast" style="margin-left: 36pt; text-indent: -18pt;"><span><span>2.<span style="font-size: 7pt; font-family: &quot;Times New Roman&quot;;">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<span class="Apple-converted-space"> </span></span></span></span>Build<o:p></o:p></p><p class="MsoListParagraph" style="margin-left: 36pt;">Not a list item<o:p></o:p></p>)HTML";

}  // namespace pellora::test
