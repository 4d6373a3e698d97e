; Extended dialect: a macro that calls itself without end is cut off at 64
; levels with an error that ends the pass.
        cpu 8048
again   macro
        nop
        again
        endm
        again                   ; error: Makros und Schleifen zu tief verschachtelt (mehr als 64 Ebenen)
        nop
