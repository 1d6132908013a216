; Zendrik demo. Type a Shortcut such as if, proc, ret, for or openwindow( and press F12:
; the word before the caret becomes its template.

EnableExplicit

Procedure.i Add(a.i, b.i)
  for<|>
EndProcedure

OpenWindow(0, 0, 0, 400, 300, "Demo")
