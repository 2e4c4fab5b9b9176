' Loads and saves through the registered control, as a host page does:
'   cscript load_save.vbs BASEURL CONTENT TOKEN [SAVE [TOKEN2]]
' Params, then Load; with SAVE "save", then Save; with TOKEN2, Params with
' that token and Save once more. What the control shows the user goes to
' stderr and the server's folder holds the outcome: scripts/windows-test
' judges both. The script itself fails only on an error the host sees.
Option Explicit

Dim args, control
Set args = WScript.Arguments
On Error Resume Next
Set control = CreateObject("Pellora.axEdit")
Report "CreateObject"

control.Params args(0), args(1), args(2)
Report "Params"
control.Load
Report "Load"
If args.Count > 3 Then
  control.Save
  Report "Save"
End If
If args.Count > 4 Then
  control.Params args(0), args(1), args(4)
  Report "Params again"
  control.Save
  Report "Save again"
End If
WScript.Echo "done"

Sub Report(stepName)
  If Err.Number <> 0 Then
    WScript.Echo "FAIL " & stepName & ": error " & Err.Number & " " & Err.Description
    Err.Clear
  Else
    WScript.Echo "ok   " & stepName
  End If
End Sub
