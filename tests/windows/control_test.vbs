' Drives the registered control through Wine's script host: creation by
' ProgID, properties, methods and the error of an unknown member. The host
' exits 0 whatever happens, so the closing count line is the verdict.
Option Explicit

Dim passed, failed
passed = 0
failed = 0

Sub Check(name, condition, detail)
  If condition Then
    passed = passed + 1
    WScript.Echo "ok   " & name
  Else
    failed = failed + 1
    WScript.Echo "FAIL " & name & ": " & detail
  End If
End Sub

Dim control
On Error Resume Next
Set control = CreateObject("Pellora.axEdit")
Check "CreateObject", Err.Number = 0 And IsObject(control), "error " & Err.Number & " " & Err.Description
Err.Clear

If IsObject(control) Then
  Dim caption
  caption = control.Caption
  Check "Caption", Err.Number = 0 And caption = "Pellora", "error " & Err.Number & ", got '" & caption & "'"
  Err.Clear

  Dim border
  border = control.AxBorderStyle
  Check "AxBorderStyle", Err.Number = 0 And border = 0, "error " & Err.Number & ", got " & border
  Err.Clear

  control.Caption = "Grüße"
  Check "Caption round trip", Err.Number = 0 And control.Caption = "Grüße", "error " & Err.Number & ", got '" & control.Caption & "'"
  Err.Clear

  ' The first argument: a loopback port on which nothing listens.
  control.Params "http://127.0.0.1:" & WScript.Arguments(0) & "/tessaron", "Sample 1", "token"
  Check "Params", Err.Number = 0, "error " & Err.Number & " " & Err.Description
  Err.Clear

  control.Options "nofont noimage"
  Check "Options", Err.Number = 0, "error " & Err.Number & " " & Err.Description
  Err.Clear

  ' A refused connection: Load shows the failure to the user (on stderr
  ' here) and returns success.
  control.Load
  Check "Load from a closed port", Err.Number = 0, "error " & Err.Number & " " & Err.Description
  Err.Clear

  ' The form's font, MS Sans Serif at 11 pixels (8.25 points at 96 pixels
  ' per inch), regular; the face is Wine's substitute, so it is not compared.
  Dim font
  Set font = control.Font
  Check "Font", Err.Number = 0 And IsObject(font), "error " & Err.Number & " " & Err.Description
  Err.Clear
  If IsObject(font) Then
    Check "Font size and weight", font.Size = 8.25 And font.Weight = 400 And Not font.Bold, _
          "size " & font.Size & ", weight " & font.Weight
    font.Size = 12
    font.Bold = True
    Set control.Font = font
    Check "Font put by reference", Err.Number = 0 And control.Font.Size = 12 And control.Font.Weight = 700, _
          "error " & Err.Number & ", size " & control.Font.Size & ", weight " & control.Font.Weight
    Err.Clear
  End If

  control.Close
  Check "Close", Err.Number = 0, "error " & Err.Number & " " & Err.Description
  Err.Clear

  control.Close
  Check "Close twice", Err.Number = 0, "error " & Err.Number & " " & Err.Description
  Err.Clear

  Dim nothingThere
  nothingThere = control.NoSuchMember
  Check "unknown property is error 438", Err.Number = 438, "error " & Err.Number
  Err.Clear

  control.NoSuchMethod 1, 2
  Check "unknown method is error 438", Err.Number = 438, "error " & Err.Number
  Err.Clear
End If

WScript.Echo passed & " passed, " & failed & " failed"
