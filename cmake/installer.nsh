; Trevolo's own steps in CPack's installer script (cmake/windows-installer.cmake includes this file).
!include FileFunc.nsh

; A running Trevolo keeps its files in use: an upgrade or an uninstall would replace or remove
; only some of them. Pop the folder; while trevolo.exe there cannot be opened for writing, ask
; to close it. Cancel, the answer of a silent run, ends here with exit code 2, nothing changed.
!macro TrevoloClosed un
Function ${un}TrevoloClosed
  Pop $R9
  check:
    IfFileExists "$R9\trevolo.exe" 0 done
    ClearErrors
    FileOpen $R8 "$R9\trevolo.exe" a
    IfErrors 0 closed
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Trevolo está abierto, y mientras lo esté sus archivos no se pueden reemplazar ni quitar.$\n$\nCierre Trevolo y pulse «Reintentar», o pulse «Cancelar» para dejarlo todo como está." \
      /SD IDCANCEL IDRETRY check
    SetErrorLevel 2
    Abort
  closed:
    FileClose $R8
  done:
FunctionEnd
!macroend
!insertmacro TrevoloClosed ""
!insertmacro TrevoloClosed "un."

; The size that Windows shows among the installed programs, in KiB.
!macro TrevoloEstimatedSize key
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\${key}" \
    "EstimatedSize" $0
!macroend
