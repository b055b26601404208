(set-logic QF_NRA)
(declare-const x Real)
(assert (and (<= (- 2) x) (<= x 2) (not (> (+ (* x x x x) (* (- 3) x x) 2) 0))))
(check-sat)
