1
"Weather"
"1.0"
"The Storyloom Player team"
""
0
0
0
#FALSE#
#FALSE#
"Weather"
"Keeps the wind report for the keeper's log."
""
"WEATHER"
"Weather.Value = þcalmþ"
"WeatherReports.Value = WeatherReports.Value + 1"
"Sub WeatherFrame(wind)
    Weather.Value = wind
End Sub

Sub WeatherAction(what)
    SkyWatched.Value = 1
    Message þYou study the þ & what & þ. Wind þ & Weather.Value & þ: a fair night for the lamp.þ
End Sub"
2
"SkyWatched"
"WeatherReports"
1
"Weather"
#FALSE#
#FALSE#
""
""
"WeatherFrame"
""
"WeatherAction"
1
"Wind"
"calm"
0
